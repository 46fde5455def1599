// What the command line names holds for one run: the port, its line, the
// capture file and the title; the settings file keeps its own values.
#include <gtest/gtest.h>
#include "app/command_line_run.h"
#include <windows.h>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings_window_fixture.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/import_patch.h"
#include "tests/support/device_client.h"

namespace {

std::string line_functions;  // each EscapeCommFunction asked for, as <n>

BOOL WINAPI record_line_function(HANDLE, DWORD function)
{
    line_functions += "<" + std::to_string(function) + ">";
    return TRUE;
}

class CommandLineRun : public ApplicationDataTest {
protected:
    void SetUp() override
    {
        ApplicationDataTest::SetUp();
        ASSERT_TRUE(make_settings_folder());
    }
    void TearDown() override
    {
        named_on_command_line = CommandLine{};
        capture_on_command_line[0] = L'\0';
        ApplicationDataTest::TearDown();
    }
};

TEST_F(CommandLineRun, NamedPortAndLineHoldForThisRunAndAreNotSaved)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(write_file(settings_file(), example_file));
    std::string capture = folder + "new\\named capture %p.bin";
    read_command_line(wide("\"C:\\Quorvex.exe\" com12 115200 8N2 /dtr:off /RTS:off \"/capture:" +
                           capture + "\"").c_str());
    ImportPatch escape("kernel32.dll", "EscapeCommFunction",
                       reinterpret_cast<void*>(record_line_function));
    ASSERT_TRUE(escape.active());
    line_functions.clear();
    char title[64] = {};
    std::string line_text;
    DeviceLineSettings line;
    bool capturing = false;
    MainWindowRun run = run_main_window(
        [&](HWND dialog) {
            GetWindowTextA(dialog, title, sizeof title);
            capturing = main_dialog.receiver().capture().active();
            EXPECT_TRUE(wait_for_first_open_attempt(5000));
            line_text = status_text(1);
            line = device.termios(12);
            click(dialog, IDC_ESCAPES);  // a change of the user's own
            SendMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
        },
        WindowStart::settings_file);
    EXPECT_FALSE(run.ended_by_driver);
    EXPECT_STREQ("Quorvex - COM12", title);
    EXPECT_EQ("COM12 115200 8N2", line_text);
    EXPECT_TRUE(line.valid) << device.last_reply();
    EXPECT_EQ(115200, line.speed);
    EXPECT_EQ(2, line.stop);
    EXPECT_EQ("<" + std::to_string(CLRDTR) + "><" + std::to_string(CLRRTS) + ">", line_functions);
    EXPECT_TRUE(capturing) << "the named capture file was not started";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((folder + "new\\named capture COM12.bin").c_str()))
        << "the named capture's folder and name";
    // The file's own port and line stay; the change made in the window is saved.
    std::string expected = example_file;
    expected.insert(expected.find("[Old commands]"), "Escapes=1\r\n");
    EXPECT_EQ(expected, read_file(settings_file()));
}

// The capture kept in the settings starts with the program, and again when
// the port opens after a close with no capture running; the settings file
// stays as it was.
TEST_F(CommandLineRun, TheKeptCaptureStartsWithTheProgramAndWhenThePortOpens)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(device.set_mode(1, "silent")) << device.last_reply();
    const std::string settings =
        "[Port Settings]\r\nByteSize=0\r\nComm=0\r\nParity=0\r\nSpeed=4\r\nStopBits=0\r\n"
        "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\nCaptureAuto=1\r\nCapturePattern=" +
        folder + "auto\\%p_log.txt\r\n[Old commands]\r\n";
    ASSERT_TRUE(write_file(settings_file(), settings));
    const std::string log = folder + "auto\\COM1_log.txt";
    bool at_start = false, after_stop = true, after_reopen = false;
    std::string status_after_reopen;
    run_main_window(
        [&](HWND dialog) {
            at_start = main_dialog.receiver().capture().active();
            ASSERT_TRUE(wait_for_first_open_attempt(5000));
            command(dialog, IDM_STOP_CAPTURE);
            command(dialog, IDM_CLOSE);
            after_stop = main_dialog.receiver().capture().active();
            ASSERT_TRUE(DeleteFileA(log.c_str()));
            command(dialog, IDM_OPEN);
            ASSERT_TRUE(wait_for_open_attempt(5000));
            after_reopen = main_dialog.receiver().capture().active();
            ASSERT_TRUE(device.send_bytes(1, "hi")) << device.last_reply();
            EXPECT_TRUE(pump_until(
                [] { return main_dialog.receiver().capture().bytes_written() >= 2; }, 5000));
            status_after_reopen = status_text(2);
            SendMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
        },
        WindowStart::settings_file);
    EXPECT_TRUE(at_start) << "no capture at start";
    EXPECT_FALSE(after_stop);
    EXPECT_TRUE(after_reopen) << "no capture when the port opened again";
    EXPECT_EQ("Capture: COM1_log.txt, 2 bytes", status_after_reopen);
    EXPECT_EQ("hi", read_file(log));
    EXPECT_EQ(settings, read_file(settings_file()));
    device.set_mode(1, "modem");
}

TEST_F(CommandLineRun, AnUnknownArgumentShowsTheUsageOnceAndNamesNothing)
{
    const struct {
        const wchar_t* line;
        const char* named;  // the argument the box names
    } lines[] = {
        {L"Quorvex.exe COM7 /bogus", "/bogus"},
        {L"Quorvex.exe 115200 COM7", "COM7"},  // the port comes first
        {L"Quorvex.exe COM7 9N1", "9N1"},
    };
    for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        named_on_command_line = CommandLine{};
        std::string box_text;
        WindowQuery box;
        box.class_name = "#32770";
        box.title = "Quorvex";
        when_window_opens(box, [&](HWND window) {
            char text[512] = {};
            GetDlgItemTextA(window, 0xffff, text, sizeof text);
            box_text = text;
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        });
        read_command_line(lines[i].line);
        EXPECT_TRUE(window_was_driven()) << "case " << i << ": no message box";
        EXPECT_EQ(0u, box_text.find(std::string("Unknown argument: ") + lines[i].named))
            << "case " << i << ": " << box_text;
        EXPECT_NE(std::string::npos, box_text.find("Quorvex.exe [COMn] [rate] [frame]"))
            << "case " << i << ": " << box_text;
        EXPECT_EQ(0, named_on_command_line.port) << "case " << i;
        EXPECT_EQ(0, named_on_command_line.baud) << "case " << i;
    }
    // Nothing named: the title is the program's name alone, and no port
    // opens (the settings file's may be another window's).
    char title[64] = {};
    bool opened = true;
    std::string status;
    run_main_window(
        [&](HWND dialog) {
            GetWindowTextA(dialog, title, sizeof title);
            EXPECT_TRUE(wait_for_ticks(3, 3000));
            opened = serial_channel.is_open || main_dialog.session().state() != PortState::closed;
            status = status_text();
        },
        WindowStart::settings_file);
    EXPECT_STREQ("Quorvex", title);
    EXPECT_FALSE(opened) << "a port opened after a refused command line";
    EXPECT_EQ("Port is closed", status);
    command_line_refused = false;
}

}  // namespace
