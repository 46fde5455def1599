// Loading and saving the settings file through the main window's operations.
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings/send_settings.h"
#include "settings_window_fixture.h"

namespace {

TEST_F(SettingsWindowTest, LoadsTheExampleFileAndSavesItBackUnchanged)
{
    load_from(example_file);
    EXPECT_EQ(describe(PortSettings{2, 1, 2, 1, 0}), describe(port_setup_dialog.settings));
    EXPECT_EQ(1, window.settings().upper);
    EXPECT_EQ(1, window.settings().send_char);
    EXPECT_TRUE(checked(IDC_USE_UPPERCASE));
    EXPECT_FALSE(checked(IDC_SEND_CR));
    EXPECT_TRUE(checked(IDC_SEND_LF));
    EXPECT_EQ("<ATI><AT>", joined(history()));
    EXPECT_EQ(nullptr, ini_reader.buffer) << "the reader's block stayed";

    window.settings_changed = 1;
    window.save_settings();
    EXPECT_EQ(example_file, read_file(settings_file()));
    EXPECT_EQ(0, window.settings_changed);
}

// Each file loads into the state shown, and the state saves back into the
// file in its own order.
TEST_F(SettingsWindowTest, FilesLoadIntoWhatTheUserSees)
{
    struct Case {
        const char* what;
        std::string file;
        PortSettings port;
        int32_t upper;
        int32_t send_char;
        bool cr_checked, lf_checked;
        const char* history;
    } cases[] = {
        {"sections in another order",
         "[Old commands]\r\nB\r\n[Misc Settings]\r\nSendChar=1\r\nUpper=1\r\n"
         "[Port Settings]\r\nStopBits=2\r\nSpeed=3\r\nComm=1\r\n",
         {1, 3, 0, 0, 2}, 1, 1, false, true, "<B>"},
        {"SendChar=2 checks neither button",
         "[Misc Settings]\r\nSendChar=2\r\n", {}, 0, 2, false, false, ""},
        {"a SendChar far out of range checks neither button",
         "[Misc Settings]\r\nSendChar=99999999999\r\n", {}, 0, INT32_MAX, false, false, ""},
        {"a negative SendChar checks neither button",
         "[Misc Settings]\r\nSendChar=-1\r\n", {}, 0, -1, false, false, ""},
        {"no Misc Settings",
         "[Port Settings]\r\nComm=3\r\n[Old commands]\r\nAT\r\n", {3, 0, 0, 0, 0}, 0, 0, true,
         false, "<AT>"},
        {"an empty line is an empty entry",
         "[Old commands]\r\nA\r\n\r\nB\r\n", {}, 0, 0, true, false, "<A><><B>"},
        {"no Old commands", "[Misc Settings]\r\nUpper=1\r\n", {}, 1, 0, true, false, ""},
        {"an empty file", "", {}, 0, 0, true, false, ""},
        {"values that are not numbers",
         "[Port Settings]\r\nComm=x\r\nSpeed=2abc\r\n[Misc Settings]\r\nUpper=false\r\n",
         {0, 2, 0, 0, 0}, 1, 0, true, false, ""},
        {"a list that ends without a line end", "[Old commands]\r\nATI\r\nAT", {}, 0, 0, true,
         false, "<ATI><AT>"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        load_from(c.file);
        EXPECT_EQ(describe(c.port), describe(port_setup_dialog.settings))
            << "case " << i << ": " << c.what;
        EXPECT_EQ(c.upper, window.settings().upper) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.upper != 0, checked(IDC_USE_UPPERCASE)) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.send_char, window.settings().send_char) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.cr_checked, checked(IDC_SEND_CR)) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.lf_checked, checked(IDC_SEND_LF)) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.history, joined(history())) << "case " << i << ": " << c.what;

        // Saved again: the file's own order, with the entries as loaded.
        window.save_settings();
        std::string saved = read_file(settings_file());
        std::string expected_history;
        for (const std::string& entry : history())
            expected_history += entry + "\r\n";
        std::string expected =
            "[Port Settings]\r\nByteSize=" + std::to_string(c.port.ByteSize) +
            "\r\nComm=" + std::to_string(c.port.Comm) + "\r\nParity=" +
            std::to_string(c.port.Parity) + "\r\nSpeed=" + std::to_string(c.port.Speed) +
            "\r\nStopBits=" + std::to_string(c.port.StopBits) + "\r\n[Misc Settings]\r\nUpper=" +
            std::to_string(c.upper) + "\r\nSendChar=" + std::to_string(c.send_char) +
            "\r\n[Old commands]\r\n" + expected_history;
        EXPECT_EQ(expected, saved) << "case " << i << ": " << c.what;
    }
}

TEST_F(SettingsWindowTest, AMissingOrUnreadableFileLeavesEveryDefault)
{
    struct Case {
        const char* what;
        void (*arrange)(const std::string& path);
    } cases[] = {
        {"no file", [](const std::string&) {}},
        {"a file over 1 MiB",
         [](const std::string& path) {
             ASSERT_TRUE(write_file(path, "[Misc Settings]\r\nUpper=0\r\nSendChar=1\r\n" +
                                              std::string(1024 * 1024, '\n')));
         }},
        {"a folder in the file's place",
         [](const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)); }},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        reopen();
        cases[i].arrange(settings_file());
        port_setup_dialog.settings = PortSettings{1, 2, 1, 1, 1};
        window.settings().upper = 1;
        window.settings().send_char = 1;
        CheckRadioButton(window.hwnd, IDC_SEND_CR, IDC_SEND_LF, IDC_SEND_LF);
        window.load_settings();
        EXPECT_EQ(describe(PortSettings{}), describe(port_setup_dialog.settings))
            << "case " << i << ": " << cases[i].what;
        EXPECT_EQ(0, window.settings().upper) << "case " << i << ": " << cases[i].what;
        EXPECT_EQ(0, window.settings().send_char) << "case " << i << ": " << cases[i].what;
        EXPECT_TRUE(checked(IDC_SEND_CR)) << "case " << i << ": " << cases[i].what;
        EXPECT_FALSE(checked(IDC_SEND_LF)) << "case " << i << ": " << cases[i].what;
        EXPECT_EQ("", joined(history())) << "case " << i << ": " << cases[i].what;
        RemoveDirectoryA(settings_file().c_str());
        DeleteFileA(settings_file().c_str());
    }
}

// A received-line limit within its range is used and saved back; the default
// and values out of range are not used, and nothing is written for them.
TEST_F(SettingsWindowTest, OnlyTheTenNewestCommandsAreSaved)
{
    window.load_settings();
    for (int i = 1; i <= 12; ++i)
        add_history("command " + std::to_string(i));
    window.save_settings();
    std::string saved = read_file(settings_file());
    std::string list = saved.substr(saved.find("[Old commands]\r\n") + 16);
    std::string expected;
    for (int i = 1; i <= 10; ++i)
        expected += "command " + std::to_string(i) + "\r\n";
    EXPECT_EQ(expected, list);
}

TEST_F(SettingsWindowTest, AnEmptyHistorySavesTheHeaderAloneAsTheLastLine)
{
    window.load_settings();
    window.save_settings();
    std::string saved = read_file(settings_file());
    ASSERT_GE(saved.size(), 16u);
    EXPECT_EQ("\r\nSendChar=0\r\n[Old commands]\r\n", saved.substr(saved.size() - 30));
}

// The combo box asks for no buffer size: an entry longer than the history's
// 199 characters must not run past the buffer it is fetched into.
TEST_F(SettingsWindowTest, ALongHistoryEntryIsSavedCutTo199Characters)
{
    window.load_settings();
    add_history(std::string(5000, 'L'));
    add_history(std::string(199, 'M'));
    add_history(std::string(200, 'N'));
    window.save_settings();
    std::string saved = read_file(settings_file());
    std::string list = saved.substr(saved.find("[Old commands]\r\n") + 16);
    EXPECT_EQ(std::string(199, 'L') + "\r\n" + std::string(199, 'M') + "\r\n" +
                  std::string(199, 'N') + "\r\n",
              list);

    reopen();
    ASSERT_TRUE(write_file(settings_file(), "[Old commands]\r\n" + std::string(300, 'x') + "\r\n"));
    window.load_settings();
    EXPECT_EQ("<" + std::string(199, 'x') + ">", joined(history()));
}

TEST_F(SettingsWindowTest, ASaveThatCannotWriteKeepsTheOldFile)
{
    load_from(example_file);
    window.settings().upper = 0;
    window.settings_changed = 1;
    // Another program holds the file without sharing it.
    HANDLE holder = CreateFileA(settings_file().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    window.save_settings();
    CloseHandle(holder);
    EXPECT_EQ(example_file, read_file(settings_file()));
    EXPECT_EQ(0, window.settings_changed) << "a failed write is not retried";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((settings_file() + ".tmp").c_str()));
}

TEST_F(SettingsWindowTest, FirstRunCreatesTheFolderUnderApplicationData)
{
    std::string expected = application_data() + "\\BrantholmFreeware\\Quorvex\\";
    EXPECT_EQ(expected, narrow(window.store().folder()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(expected.c_str()));
    EXPECT_EQ(expected + "Quorvex.ini", narrow(window.store().path()));
    EXPECT_TRUE(checked(IDC_SEND_CR));
    EXPECT_FALSE(checked(IDC_USE_UPPERCASE));
    EXPECT_EQ(describe(PortSettings{}), describe(port_setup_dialog.settings));

    // Next run: the folder is there, and so is the file saved at exit.
    window.settings().upper = 1;
    window.settings_changed = 1;
    window.save_settings();
    reopen();
    EXPECT_EQ(expected, narrow(window.store().folder()));
    EXPECT_TRUE(checked(IDC_USE_UPPERCASE));
}

TEST_F(SettingsWindowTest, AnApplicationDataPathTooLongForTheFolderStoresNothing)
{
    // Long enough that the settings folder would not fit 260 characters.
    std::string long_folder = folder + std::string(240 - folder.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(long_folder.c_str(), nullptr));
    AppDataRedirect long_redirect(long_folder);
    ASSERT_TRUE(long_redirect.active());

    reopen();
    EXPECT_EQ(L'\0', window.store().folder()[0]);
    EXPECT_EQ(L'\0', window.store().path()[0]);
    EXPECT_TRUE(checked(IDC_SEND_CR));
    window.settings_changed = 1;
    window.save_settings();
    EXPECT_EQ(0, window.settings_changed);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(".tmp"));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((long_folder + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int entries = 0;
    do
        ++entries;
    while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(2, entries) << "only . and .. belong in the folder";
}

// Any other port, rate and flow control, and the reopen option: read when
// valid, ignored when not, and written back only when they are needed.
// The keys beyond the original ones: read when valid, written in their
// place only when they differ from the default; anything else is ignored.
TEST_F(SettingsWindowTest, NewerKeysAreReadWhenValidAndWrittenOnlyWhenSet)
{
    struct Case {
        const char* port_keys;  // under [Port Settings], after StopBits
        const char* misc_keys;  // under [Misc Settings], after SendChar
        int32_t port, baud, flow, reopen, max_lines, checked_line_end;
        const char* saved_port_keys;
        const char* saved_misc_keys;
    } cases[] = {
        {"", "", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"Port=COM12\r\nBaud=921600\r\nFlow=RTSCTS\r\n", "", 12, 921600, 1, 1, 100000, IDC_SEND_CR,
         "Port=COM12\r\nBaud=921600\r\nFlow=RTSCTS\r\n", ""},
        {"Flow=xonxoff\r\nPort=com7\r\n", "Reopen=0\r\n", 7, 0, 2, 0, 100000, IDC_SEND_CR,
         "Port=COM7\r\nFlow=XONXOFF\r\n", "Reopen=0\r\n"},
        {"Port=COM0\r\nBaud=4000001\r\nFlow=DTR\r\n", "Reopen=1\r\n", 0, 0, 0, 1, 100000,
         IDC_SEND_CR, "", ""},
        {"Port=COM1:\r\nBaud=115200x\r\nFlow=\r\n", "", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"Port=LPT1\r\nBaud=-9600\r\n", "", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"Port=COM256\r\nBaud=50\r\n", "", 256, 50, 0, 1, 100000, IDC_SEND_CR,
         "Port=COM256\r\nBaud=50\r\n", ""},
        {"", "MaxLines=100\r\n", 0, 0, 0, 1, 100, IDC_SEND_CR, "", "MaxLines=100\r\n"},
        {"", "MaxLines=99\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "MaxLines=10000000\r\n", 0, 0, 0, 1, 10000000, IDC_SEND_CR, "",
         "MaxLines=10000000\r\n"},
        {"", "MaxLines=10000001\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "MaxLines=100000\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "MaxLines=-200\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "LineEnd=CRLF\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CRLF, "", "LineEnd=CRLF\r\n"},
        {"", "LineEnd=none\r\n", 0, 0, 0, 1, 100000, IDC_SEND_NONE, "", "LineEnd=None\r\n"},
        {"", "LineEnd=CR\r\nEscapes=2\r\nView=Text\r\nTime=yes\r\n", 0, 0, 0, 1, 100000,
         IDC_SEND_CR, "", ""},
        {"", "Escapes=1\r\nView=Hex\r\nTime=1\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "Escapes=1\r\nView=Hex\r\nTime=1\r\n"},
        {"", "View=lines\r\nTime=0\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", "View=Lines\r\n"},
        {"", "View=Hex\r\nHex=1\r\nEscapes=1\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "Escapes=1\r\nHex=1\r\nView=Hex\r\n"},
        {"", "Hex=0\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "hex=yes\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Window=-8,20,700,460\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "Window=-8,20,700,460\r\n"},
        {"", "Window=1,2,3\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Window=5,5,5,90\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Window=1,2,3,4x\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Window=99999999999,0,1,1\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Plot=1\r\nPlotWindow=10,20,500,400\r\nPlotPoints=100\r\n", 0, 0, 0, 1, 100000,
         IDC_SEND_CR, "", "Plot=1\r\nPlotWindow=10,20,500,400\r\nPlotPoints=100\r\n"},
        {"", "Plot=0\r\nPlotPoints=1000000\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "PlotPoints=1000000\r\n"},
        {"", "Plot=2\r\nPlotWindow=1,2,3\r\nPlotPoints=99\r\n", 0, 0, 0, 1, 100000,
         IDC_SEND_CR, "", ""},
        {"", "Plot=yes\r\nPlotPoints=1000001\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "PlotPoints=10000\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Window=-8,20,700,460,144\r\nWindowMax=1\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "WindowMax=1\r\nWindow=-8,20,700,460,144\r\n"},
        {"", "WindowMax=0\r\nWindow=1,2,30,40,-96\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "WindowMax=yes\r\nWindow=1,2,30,40,96,7\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         ""},
        {"", "CapturePattern=D:\\Daten\\caf\xc3\xa9 %H.log\r\nCaptureLimitMB=1048576\r\nPlot=1\r\n",
         0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "Plot=1\r\nCaptureLimitMB=1048576\r\nCapturePattern=D:\\Daten\\caf\xc3\xa9 %H.log\r\n"},
        {"", "CaptureLimitMB=0\r\nCaptureDaily=0\r\nCaptureAuto=0\r\nCapturePattern=\r\n", 0, 0,
         0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "CaptureLimitMB=1048577\r\nCaptureDaily=yes\r\nCaptureAppend=2\r\nCaptureAsShown=\r\n",
         0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "CaptureLimitMB=-1\r\nCaptureAuto=01\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        // Last: the next window opened would start this capture (on a drive not there).
        {"", "CaptureLimitMB=5\r\nCaptureDaily=1\r\nCaptureAppend=1\r\nCaptureAsShown=1\r\n"
             "CaptureAuto=1\r\nCapturePattern=Q:\\logs\\%p_%Y-%m-%d.log\r\n",
         0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "CaptureLimitMB=5\r\nCaptureDaily=1\r\nCaptureAppend=1\r\nCaptureAsShown=1\r\n"
         "CaptureAuto=1\r\nCapturePattern=Q:\\logs\\%p_%Y-%m-%d.log\r\n"},
        {"", "Filter=ERR 5\r\nShowSent=1\r\nColours=0\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "",
         "Colours=0\r\nShowSent=1\r\nFilter=ERR 5\r\n"},
        {"", "Colours=1\r\nShowSent=0\r\nFilter=\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
        {"", "Colours=off\r\nShowSent=yes\r\n", 0, 0, 0, 1, 100000, IDC_SEND_CR, "", ""},
    };
    const auto file = [](const char* port_keys, const char* misc_keys) {
        return std::string("[Port Settings]\r\nByteSize=0\r\nComm=1\r\nParity=0\r\nSpeed=4\r\n"
                           "StopBits=0\r\n") + port_keys +
               "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\n" + misc_keys + "[Old commands]\r\n";
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        load_from(file(c.port_keys, c.misc_keys));
        const PortSettings& port = port_setup_dialog.settings;
        const std::string keys = std::string(c.port_keys) + c.misc_keys;
        EXPECT_EQ(1, port.Comm) << "case " << i;
        EXPECT_EQ(4, port.Speed) << "case " << i;
        EXPECT_EQ(c.port, port.Port) << "case " << i << ": " << keys;
        EXPECT_EQ(c.baud, port.Baud) << "case " << i << ": " << keys;
        EXPECT_EQ(c.flow, port.Flow) << "case " << i << ": " << keys;
        EXPECT_EQ(c.reopen, window.settings().reopen) << "case " << i << ": " << keys;
        EXPECT_EQ(c.max_lines, window.settings().max_lines) << "case " << i << ": " << keys;
        EXPECT_TRUE(checked(c.checked_line_end)) << "case " << i << ": " << keys;
        window.settings_changed = 1;
        window.save_settings();
        EXPECT_EQ(file(c.saved_port_keys, c.saved_misc_keys), read_file(settings_file()))
            << "case " << i;
    }
}

// The pacing, the repeat's period, the macros and the automatic replies:
// read when valid, written after the other keys and in sections of their
// own only when set.
TEST_F(SettingsWindowTest, SendKeysAndMacrosAreReadWhenValidAndWrittenOnlyWhenSet)
{
    struct Case {
        const char* misc_keys;  // under [Misc Settings], after SendChar
        const char* macros;     // after [Old commands]
        int32_t char_delay, line_delay, repeat_ms;
        const char* f1;
        const char* f12;
        const char* saved_misc_keys;
        const char* saved_macros;
    } cases[] = {
        {"", "", 0, 0, 1000, "", "", "", ""},
        {"CharDelay=5\r\nLineDelay=10000\r\nRepeatMs=50\r\n", "", 5, 10000, 50, "", "",
         "CharDelay=5\r\nLineDelay=10000\r\nRepeatMs=50\r\n", ""},
        {"CharDelay=1001\r\nLineDelay=-1\r\nRepeatMs=49\r\n", "", 0, 0, 1000, "", "", "", ""},
        {"CharDelay=0\r\nRepeatMs=1000\r\n", "", 0, 0, 1000, "", "", "", ""},
        {"RepeatMs=3600000\r\n", "", 0, 0, 3600000, "", "", "RepeatMs=3600000\r\n", ""},
        {"RepeatMs=3600001\r\n", "", 0, 0, 1000, "", "", "", ""},
        {"", "[Macros]\r\nF12=ATZ\\r\r\nf1=AT+CSQ\r\nF13=no\r\n", 0, 0, 1000, "AT+CSQ",
         "ATZ\\r", "", "[Macros]\r\nF1=AT+CSQ\r\nF12=ATZ\\r\r\n"},
        {"", "[Macros]\r\nF1=\r\n", 0, 0, 1000, "", "", "", ""},
        {"", "[Auto Reply]\r\nOn=1\r\nMatch1=login:\r\nReply1=root\r\n", 0, 0, 1000, "", "",
         "", "[Auto Reply]\r\nOn=1\r\nMatch1=login:\r\nReply1=root\r\n"},
        {"", "[auto reply]\r\nreply8=\\x06{sum8}\r\nmatch8=\\x05\r\nOn=0\r\n", 0, 0, 1000, "",
         "", "", "[Auto Reply]\r\nMatch8=\\x05\r\nReply8=\\x06{sum8}\r\n"},
        {"", "[Auto Reply]\r\nOn=0\r\nMatch9=x\r\nMatch1=\r\n", 0, 0, 1000, "", "", "", ""},
        {"", "[Macros]\r\nF1=A\r\n[Auto Reply]\r\nOn=yes\r\nReply2=\\x06\r\n", 0, 0, 1000, "A",
         "", "", "[Macros]\r\nF1=A\r\n[Auto Reply]\r\nReply2=\\x06\r\n"},
        {"", "[Highlight]\r\nH1=red,ERROR\r\nH3=Teal,x\r\nH4=Grey,\r\nH8=Blue,a,b\r\nH9=Red,no\r\n",
         0, 0, 1000, "", "", "", "[Highlight]\r\nH1=Red,ERROR\r\nH8=Blue,a,b\r\n"},
        {"", "[Macros]\r\nF1=x\r\n[Highlight]\r\nH2=Purple,OK\r\n", 0, 0, 1000, "x", "", "",
         "[Macros]\r\nF1=x\r\n[Highlight]\r\nH2=Purple,OK\r\n"},
    };
    const auto file = [](const char* misc_keys, const char* macros) {
        return std::string("[Port Settings]\r\nByteSize=0\r\nComm=1\r\nParity=0\r\nSpeed=4\r\n"
                           "StopBits=0\r\n[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\n") +
               misc_keys + "[Old commands]\r\n" + macros;
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        load_from(file(c.misc_keys, c.macros));
        const std::string keys = std::string(c.misc_keys) + c.macros;
        EXPECT_EQ(c.char_delay, window.settings().send.char_delay) << "case " << i << ": " << keys;
        EXPECT_EQ(c.line_delay, window.settings().send.line_delay) << "case " << i << ": " << keys;
        EXPECT_EQ(c.repeat_ms, window.settings().send.repeat_ms) << "case " << i << ": " << keys;
        EXPECT_STREQ(c.f1, window.settings().send.macros[0]) << "case " << i << ": " << keys;
        EXPECT_STREQ(c.f12, window.settings().send.macros[11]) << "case " << i << ": " << keys;
        window.settings_changed = 1;
        window.save_settings();
        EXPECT_EQ(file(c.saved_misc_keys, c.saved_macros), read_file(settings_file()))
            << "case " << i;
    }
    window.settings().send = SendSettings{};
    window.settings().auto_reply = AutoReplySettings{};
    window.settings().view = ViewSettings{};
}

}  // namespace

namespace {

// DTR and RTS on open: on unless the file says 0, and written only as 0,
// right after Flow.
TEST_F(SettingsWindowTest, DtrAndRtsKeysAreWrittenOnlyWhenOff)
{
    const struct {
        const char* keys;  // under [Port Settings], after StopBits
        int32_t dtr, rts;
        const char* saved;
    } cases[] = {
        {"", 1, 1, ""},
        {"Dtr=0\r\n", 0, 1, "Dtr=0\r\n"},
        {"Rts=0\r\nDtr=1\r\n", 1, 0, "Rts=0\r\n"},
        {"Flow=RTSCTS\r\nDtr=0\r\nRts=0\r\n", 0, 0, "Flow=RTSCTS\r\nDtr=0\r\nRts=0\r\n"},
        {"dtr=0\r\nRTS=yes\r\n", 0, 1, "Dtr=0\r\n"},
    };
    const auto file = [](const char* keys) {
        return std::string("[Port Settings]\r\nByteSize=0\r\nComm=0\r\nParity=0\r\nSpeed=0\r\n"
                           "StopBits=0\r\n") + keys +
               "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\n[Old commands]\r\n";
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        load_from(file(c.keys));
        EXPECT_EQ(c.dtr, port_setup_dialog.settings.Dtr) << "case " << i << ": " << c.keys;
        EXPECT_EQ(c.rts, port_setup_dialog.settings.Rts) << "case " << i << ": " << c.keys;
        window.settings_changed = 1;
        window.save_settings();
        EXPECT_EQ(file(c.saved), read_file(settings_file())) << "case " << i;
    }
}

}  // namespace
