// The line-end, escape, view and window keys: read when valid, written after
// SendChar only when they differ from the default.
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings_window_fixture.h"

TEST_F(SettingsWindowTest, ViewKeysAreReadWhenValidAndWrittenOnlyWhenSet)
{
    struct Case {
        const char* keys;   // under [Misc Settings], after SendChar=0
        const char* saved;  // what saving writes there
        int checked_line_end;
    } cases[] = {
        {"", "", IDC_SEND_CR},
        {"LineEnd=CRLF\r\n", "LineEnd=CRLF\r\n", IDC_SEND_CRLF},
        {"LineEnd=none\r\n", "LineEnd=None\r\n", IDC_SEND_NONE},
        {"LineEnd=CR\r\nEscapes=2\r\nView=Text\r\nTime=yes\r\n", "", IDC_SEND_CR},
        {"Escapes=1\r\nView=Hex\r\nTime=1\r\n", "Escapes=1\r\nView=Hex\r\nTime=1\r\n", IDC_SEND_CR},
        {"View=lines\r\nTime=0\r\n", "View=Lines\r\n", IDC_SEND_CR},
        {"Window=-8,20,700,460\r\n", "Window=-8,20,700,460\r\n", IDC_SEND_CR},
        {"Window=1,2,3\r\n", "", IDC_SEND_CR},
        {"Window=5,5,5,90\r\n", "", IDC_SEND_CR},
        {"Window=1,2,3,4x\r\n", "", IDC_SEND_CR},
        {"Window=99999999999,0,1,1\r\n", "", IDC_SEND_CR},
    };
    const std::string head =
        "[Port Settings]\r\nByteSize=0\r\nComm=0\r\nParity=0\r\nSpeed=0\r\nStopBits=0\r\n"
        "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\n";
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        load_from(head + cases[i].keys + "[Old commands]\r\n");
        EXPECT_TRUE(checked(cases[i].checked_line_end)) << "case " << i << ": " << cases[i].keys;
        window.save_settings();
        EXPECT_EQ(head + cases[i].saved + "[Old commands]\r\n", read_file(settings_file()))
            << "case " << i << ": " << cases[i].keys;
    }
}
