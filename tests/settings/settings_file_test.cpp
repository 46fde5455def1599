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

// The keys beyond the original ones: read when valid, written in their
// place only when they differ from the default; anything else is ignored.
TEST_F(SettingsWindowTest, NewerKeysAreReadWhenValidAndWrittenOnlyWhenSet)
{
    struct Case {
        const char* port_keys;  // under [Port Settings], after StopBits
        const char* misc_keys;  // under [Misc Settings], after SendChar
        const char* sections;   // after [Old commands]
        const char* read;       // the values read that are not their defaults
        const char* saved_port_keys;
        const char* saved_misc_keys;
        const char* saved_sections;
    } cases[] = {
        {"", "", "", "", "", "", ""},
        {"Port=COM12\r\nBaud=921600\r\nFlow=RTSCTS\r\n", "", "", "Port=12 Baud=921600 Flow=1 ",
         "Port=COM12\r\nBaud=921600\r\nFlow=RTSCTS\r\n", "", ""},
        {"Flow=xonxoff\r\nPort=com7\r\n", "Reopen=0\r\n", "", "Port=7 Flow=2 Reopen=0 ",
         "Port=COM7\r\nFlow=XONXOFF\r\n", "Reopen=0\r\n", ""},
        {"Port=COM0\r\nBaud=4000001\r\nFlow=DTR\r\n", "Reopen=1\r\n", "", "", "", "", ""},
        {"Port=COM1:\r\nBaud=115200x\r\nFlow=\r\n", "", "", "", "", "", ""},
        {"Port=LPT1\r\nBaud=-9600\r\n", "", "", "", "", "", ""},
        {"Port=COM256\r\nBaud=50\r\n", "", "", "Port=256 Baud=50 ", "Port=COM256\r\nBaud=50\r\n",
         "", ""},
        // DTR and RTS are on unless the file says 0, and written only as 0,
        // right after Flow.
        {"Dtr=0\r\n", "", "", "Dtr=0 ", "Dtr=0\r\n", "", ""},
        {"Rts=0\r\nDtr=1\r\n", "", "", "Rts=0 ", "Rts=0\r\n", "", ""},
        {"Flow=RTSCTS\r\nDtr=0\r\nRts=0\r\n", "", "", "Flow=1 Dtr=0 Rts=0 ",
         "Flow=RTSCTS\r\nDtr=0\r\nRts=0\r\n", "", ""},
        {"dtr=0\r\nRTS=yes\r\n", "", "", "Dtr=0 ", "Dtr=0\r\n", "", ""},
        {"", "MaxLines=100\r\n", "", "MaxLines=100 ", "", "MaxLines=100\r\n", ""},
        {"", "MaxLines=99\r\n", "", "", "", "", ""},
        {"", "MaxLines=10000000\r\n", "", "MaxLines=10000000 ", "", "MaxLines=10000000\r\n", ""},
        {"", "MaxLines=10000001\r\n", "", "", "", "", ""},
        {"", "MaxLines=100000\r\n", "", "", "", "", ""},
        {"", "MaxLines=-200\r\n", "", "", "", "", ""},
        {"", "LineEnd=CRLF\r\n", "", "LineEnd=CRLF ", "", "LineEnd=CRLF\r\n", ""},
        {"", "LineEnd=none\r\n", "", "LineEnd=None ", "", "LineEnd=None\r\n", ""},
        {"", "LineEnd=CR\r\nEscapes=2\r\nView=Text\r\nTime=yes\r\n", "", "", "", "", ""},
        {"", "Escapes=1\r\nView=Hex\r\nTime=1\r\n", "", "", "", "Escapes=1\r\nView=Hex\r\nTime=1\r\n",
         ""},
        {"", "View=lines\r\nTime=0\r\n", "", "", "", "View=Lines\r\n", ""},
        {"", "View=Hex\r\nHex=1\r\nEscapes=1\r\n", "", "", "", "Escapes=1\r\nHex=1\r\nView=Hex\r\n",
         ""},
        {"", "Hex=0\r\n", "", "", "", "", ""},
        {"", "hex=yes\r\n", "", "", "", "", ""},
        {"", "Window=-8,20,700,460\r\n", "", "", "", "Window=-8,20,700,460\r\n", ""},
        {"", "Window=1,2,3\r\n", "", "", "", "", ""},
        {"", "Window=5,5,5,90\r\n", "", "", "", "", ""},
        {"", "Window=1,2,3,4x\r\n", "", "", "", "", ""},
        {"", "Window=99999999999,0,1,1\r\n", "", "", "", "", ""},
        {"", "Plot=1\r\nPlotWindow=10,20,500,400\r\nPlotPoints=100\r\n", "", "", "",
         "Plot=1\r\nPlotWindow=10,20,500,400\r\nPlotPoints=100\r\n", ""},
        {"", "Plot=0\r\nPlotPoints=1000000\r\n", "", "", "", "PlotPoints=1000000\r\n", ""},
        {"", "Plot=2\r\nPlotWindow=1,2,3\r\nPlotPoints=99\r\n", "", "", "", "", ""},
        {"", "Plot=yes\r\nPlotPoints=1000001\r\n", "", "", "", "", ""},
        {"", "PlotPoints=10000\r\n", "", "", "", "", ""},
        {"", "Window=-8,20,700,460,144\r\nWindowMax=1\r\n", "", "", "",
         "WindowMax=1\r\nWindow=-8,20,700,460,144\r\n", ""},
        {"", "WindowMax=0\r\nWindow=1,2,30,40,-96\r\n", "", "", "", "", ""},
        {"", "WindowMax=yes\r\nWindow=1,2,30,40,96,7\r\n", "", "", "", "", ""},
        // The pacing and the repeat's period after the other keys; the
        // macros and the automatic replies in sections of their own.
        {"", "CharDelay=5\r\nLineDelay=10000\r\nRepeatMs=50\r\n", "",
         "CharDelay=5 LineDelay=10000 RepeatMs=50 ", "",
         "CharDelay=5\r\nLineDelay=10000\r\nRepeatMs=50\r\n", ""},
        {"", "CharDelay=1001\r\nLineDelay=-1\r\nRepeatMs=49\r\n", "", "", "", "", ""},
        {"", "CharDelay=0\r\nRepeatMs=1000\r\n", "", "", "", "", ""},
        {"", "RepeatMs=3600000\r\n", "", "RepeatMs=3600000 ", "", "RepeatMs=3600000\r\n", ""},
        {"", "RepeatMs=3600001\r\n", "", "", "", "", ""},
        {"", "", "[Macros]\r\nF12=ATZ\\r\r\nf1=AT+CSQ\r\n", "F1=AT+CSQ F12=ATZ\\r ", "",
         "", "[Macros]\r\nF1=AT+CSQ\r\nF12=ATZ\\r\r\n"},
        {"", "", "[Macros]\r\nF1=\r\n", "", "", "", ""},
        {"", "", "[Auto Reply]\r\nOn=1\r\nMatch1=login:\r\nReply1=root\r\n", "", "", "",
         "[Auto Reply]\r\nOn=1\r\nMatch1=login:\r\nReply1=root\r\n"},
        {"", "", "[auto reply]\r\nreply8=\\x06{sum8}\r\nmatch8=\\x05\r\nOn=0\r\n", "", "", "",
         "[Auto Reply]\r\nMatch8=\\x05\r\nReply8=\\x06{sum8}\r\n"},
        {"", "", "[Auto Reply]\r\nOn=0\r\nMatch1=\r\n", "", "", "", ""},
        {"", "", "[Macros]\r\nF1=A\r\n[Auto Reply]\r\nOn=yes\r\nReply2=\\x06\r\n", "F1=A ", "", "",
         "[Macros]\r\nF1=A\r\n[Auto Reply]\r\nReply2=\\x06\r\n"},
        {"", "CapturePattern=D:\\Daten\\caf\xc3\xa9 %H.log\r\nCaptureLimitMB=1048576\r\nPlot=1\r\n", "",
         "", "", "Plot=1\r\nCaptureLimitMB=1048576\r\nCapturePattern=D:\\Daten\\caf\xc3\xa9 %H.log\r\n",
         ""},
        {"", "CaptureLimitMB=0\r\nCaptureDaily=0\r\nCaptureAuto=0\r\nCapturePattern=\r\n", "", "", "",
         "", ""},
        {"", "CaptureLimitMB=1048577\r\nCaptureDaily=yes\r\nCaptureAppend=2\r\nCaptureAsShown=\r\n",
         "", "", "", "", ""},
        {"", "CaptureLimitMB=-1\r\nCaptureAuto=01\r\n", "", "", "", "", ""},
        // A limit below a MiB, or not whole MiB, in KiB.
        {"", "CaptureLimitKB=10\r\n", "", "", "", "CaptureLimitKB=10\r\n", ""},
        {"", "CaptureLimitKB=2048\r\n", "", "", "", "CaptureLimitMB=2\r\n", ""},
        {"", "CaptureLimitMB=3\r\nCaptureLimitKB=1073741825\r\n", "", "", "",
         "CaptureLimitMB=3\r\n", ""},
        {"", "Filter=ERR 5\r\nShowSent=1\r\nColours=0\r\n", "", "", "",
         "Colours=0\r\nShowSent=1\r\nFilter=ERR 5\r\n", ""},
        {"", "Colours=1\r\nShowSent=0\r\nFilter=\r\n", "", "", "", "", ""},
        {"", "Colours=off\r\nShowSent=yes\r\n", "", "", "", "", ""},
        {"", "XmodemRemovePadding=1\r\nXmodem1K=1\r\n", "", "", "",
         "Xmodem1K=1\r\nXmodemRemovePadding=1\r\n", ""},
        {"", "Xmodem1K=0\r\nXmodemRemovePadding=yes\r\n", "", "", "", "", ""},
        // Last: the next window opened would start this capture (on a drive not there).
        {"", "CaptureLimitMB=5\r\nCaptureDaily=1\r\nCaptureAppend=1\r\nCaptureAsShown=1\r\n"
             "CaptureAuto=1\r\nCapturePattern=Q:\\logs\\%p_%Y-%m-%d.log\r\n",
         "", "", "",
         "CaptureLimitMB=5\r\nCaptureDaily=1\r\nCaptureAppend=1\r\nCaptureAsShown=1\r\n"
         "CaptureAuto=1\r\nCapturePattern=Q:\\logs\\%p_%Y-%m-%d.log\r\n",
         ""},
    };
    const auto file = [](const char* port_keys, const char* misc_keys, const char* sections) {
        return std::string("[Port Settings]\r\nByteSize=0\r\nComm=1\r\nParity=0\r\nSpeed=4\r\n"
                           "StopBits=0\r\n") + port_keys +
               "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\n" + misc_keys + "[Old commands]\r\n" +
               sections;
    };
    // The values the window took that are not their defaults, as "Key=value ".
    const auto read = [this] {
        const PortSettings& port = port_setup_dialog.settings;
        const SendSettings& send = window.settings().send;
        std::string values;
        const auto add = [&values](const char* key, int32_t value, int32_t usual) {
            if (value != usual)
                values += std::string(key) + "=" + std::to_string(value) + " ";
        };
        add("Port", port.Port, 0);
        add("Baud", port.Baud, 0);
        add("Flow", port.Flow, 0);
        add("Dtr", port.Dtr, 1);
        add("Rts", port.Rts, 1);
        add("Reopen", window.settings().reopen, 1);
        add("MaxLines", window.settings().max_lines, default_max_lines);
        if (!checked(IDC_SEND_CR))
            values += std::string("LineEnd=") +
                      (checked(IDC_SEND_LF)     ? "LF "
                       : checked(IDC_SEND_CRLF) ? "CRLF "
                       : checked(IDC_SEND_NONE) ? "None "
                                                : "unchecked ");
        add("CharDelay", send.char_delay, 0);
        add("LineDelay", send.line_delay, 0);
        add("RepeatMs", send.repeat_ms, default_repeat_ms);
        if (send.macros[0][0])
            values += std::string("F1=") + send.macros[0] + " ";
        if (send.macros[11][0])
            values += std::string("F12=") + send.macros[11] + " ";
        return values;
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        load_from(file(c.port_keys, c.misc_keys, c.sections));
        const std::string keys = std::string(c.port_keys) + c.misc_keys + c.sections;
        EXPECT_EQ(1, port_setup_dialog.settings.Comm) << "case " << i;
        EXPECT_EQ(4, port_setup_dialog.settings.Speed) << "case " << i;
        EXPECT_EQ(c.read, read()) << "case " << i << ": " << keys;
        window.settings_changed = 1;
        window.save_settings();
        EXPECT_EQ(file(c.saved_port_keys, c.saved_misc_keys, c.saved_sections),
                  read_file(settings_file()))
            << "case " << i;
    }
}

// Keys this version does not know (a newer one wrote them) survive its
// save, in every section: after the section's own keys, or in a section of
// their own; keys it knows are written only as it writes them.
TEST_F(SettingsWindowTest, KeysThisVersionDoesNotKnowSurviveItsSave)
{
    struct Case {
        const char* port_keys;  // under [Port Settings], after StopBits
        const char* misc_keys;  // under [Misc Settings], after SendChar
        const char* sections;   // after [Old commands]
        const char* saved_port_keys;
        const char* saved_misc_keys;
        const char* saved_sections;
    } cases[] = {
        {"Future=7\r\n", "", "", "Future=7\r\n", "", ""},
        {"Flow=RTSCTS\r\nparity2=3\r\n", "", "", "Flow=RTSCTS\r\nparity2=3\r\n", "", ""},
        {"", "Later=1\r\nShowSent=1\r\n", "", "", "ShowSent=1\r\nLater=1\r\n", ""},
        {"", "Reopen=1\r\ncolours=1\r\nshowsent=0\r\nTime=\r\n", "", "", "", ""},
        {"", "", "[Macros]\r\nF13=no\r\nF1=A\r\n", "", "", "[Macros]\r\nF1=A\r\nF13=no\r\n"},
        {"", "", "[Macros]\r\nF13=no\r\n", "", "", "[Macros]\r\nF13=no\r\n"},
        {"", "", "[Auto Reply]\r\nOn=0\r\nMatch9=x\r\n", "", "", "[Auto Reply]\r\nMatch9=x\r\n"},
        {"", "", "[Highlight]\r\nH9=Red,x\r\nH1=Blue,OK\r\n", "", "",
         "[Highlight]\r\nH1=Blue,OK\r\nH9=Red,x\r\n"},
        {"", "", "[Terminal]\r\nRows=40\r\n; a note\r\nCols=132\r\n", "", "",
         "[Terminal]\r\nRows=40\r\nCols=132\r\n"},
    };
    const auto file = [](const char* port_keys, const char* misc_keys, const char* sections) {
        return std::string("[Port Settings]\r\nByteSize=0\r\nComm=1\r\nParity=0\r\nSpeed=4\r\n"
                           "StopBits=0\r\n") + port_keys +
               "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\n" + misc_keys + "[Old commands]\r\n" +
               sections;
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        const std::string before = file(c.port_keys, c.misc_keys, c.sections);
        const std::string saved = file(c.saved_port_keys, c.saved_misc_keys, c.saved_sections);
        load_from(before);
        window.settings_changed = 1;
        window.save_settings();
        EXPECT_EQ(saved, read_file(settings_file())) << "case " << i << ": " << before;
        // Loaded and saved again, the file stays as it is.
        load_from(saved);
        window.settings_changed = 1;
        window.save_settings();
        EXPECT_EQ(saved, read_file(settings_file())) << "case " << i << ", saved twice";
    }
}

}  // namespace
