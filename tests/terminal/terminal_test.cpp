// The terminal's own behaviour where no other emulator can be its judge:
// answers to the device, the title, modes the keys depend on, scrollback,
// resizing, damage, and the bytes each key sends.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "terminal/key_encoder.h"
#include "terminal/terminal_emulator.h"
#include "tests/terminal/screen_rows.h"

namespace {

TEST(TerminalAnswers, QueriesAreAnsweredWithBytesToSend)
{
    struct Case {
        const char* input;
        const char* answer;
    } cases[] = {
        {"\x1b[5n", "\x1b[0n"},
        {"\x1b[6n", "\x1b[1;1R"},
        {"\x1b[5;10H\x1b[6n", "\x1b[5;10R"},
        {"\x1b[3;6r\x1b[?6h\x1b[2;4H\x1b[6n", "\x1b[2;4R"},  // origin mode counts from the region
        {"abc\x1b[6n", "\x1b[1;4R"},
        {"\x1b[c", "\x1b[?1;2c"},
        {"\x1b[0c", "\x1b[?1;2c"},
        {"\x1b[>c", "\x1b[>1;10;0c"},
        {"\x1b[18t", "\x1b[8;24;80t"},
        {"\x1b[999;999H\x1b[6n", "\x1b[24;80R"},
        {"\x1b[5n\x1b[6n", "\x1b[0n\x1b[1;1R"},
        {"\x1b[7n\x1b[14t\x1b[1c", ""},  // not answered
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TerminalEmulator terminal;
        feed(terminal, cases[i].input);
        std::string seen(terminal.replies(), terminal.reply_length());
        EXPECT_EQ(shown(cases[i].answer), shown(seen)) << "case " << i << ": " << shown(cases[i].input);
        terminal.clear_replies();
        EXPECT_EQ(0u, terminal.reply_length());
    }
}

TEST(TerminalTitle, OperatingSystemCommandsSetTheTitle)
{
    struct Case {
        std::vector<std::string> reads;
        const char* title;
        bool changed;
    } cases[] = {
        {{"\x1b]0;board one\x07"}, "board one", true},
        {{"\x1b]2;shell\x1b\\"}, "shell", true},
        {{"\x1b]2;sh", "ell\x07"}, "shell", true},
        {{"\x1b]2;caf\xc3\xa9\x07"}, "caf\xc3\xa9", true},
        {{"\x1b]1;icon only\x07"}, "", false},
        {{"\x1b]52;c;aGk=\x07"}, "", false},
        {{"\x1b]0;one\x07\x1b]0;two\x07"}, "two", true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TerminalEmulator terminal;
        for (const std::string& read : cases[i].reads)
            feed(terminal, read);
        EXPECT_STREQ(cases[i].title, terminal.title()) << "case " << i;
        EXPECT_EQ(cases[i].changed, terminal.take_title_change()) << "case " << i;
        EXPECT_FALSE(terminal.take_title_change()) << "case " << i << ": the change is told once";
        EXPECT_EQ(std::vector<std::string>(24, ""), screen_rows(terminal)) << "case " << i << ": nothing shows";
    }
}

TEST(TerminalModes, ModesTheKeysAndTheWindowFollow)
{
    struct Case {
        const char* input;
        bool application_keys;
        bool bracketed;
        bool cursor_visible;
        int bells;
    } cases[] = {
        {"", false, false, true, 0},
        {"\x1b[?1h", true, false, true, 0},
        {"\x1b[?1h\x1b[?1l", false, false, true, 0},
        {"\x1b[?2004h", false, true, true, 0},
        {"\x1b[?25l", false, false, false, 0},
        {"\x1b[?1;2004;25h\x1b[?25l\x07\x07", true, true, false, 2},
        {"\x1b[?1h\x1b[?2004h\x1b" "c", false, false, true, 0},
        {"\x1b]0;t\x07", false, false, true, 0},  // BEL ending a title rings nothing
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TerminalEmulator terminal;
        feed(terminal, cases[i].input);
        EXPECT_EQ(cases[i].application_keys, terminal.application_cursor_keys()) << "case " << i;
        EXPECT_EQ(cases[i].bracketed, terminal.bracketed_paste()) << "case " << i;
        EXPECT_EQ(cases[i].cursor_visible, terminal.cursor_visible()) << "case " << i;
        EXPECT_EQ(cases[i].bells, terminal.take_bells()) << "case " << i;
    }
}

// The scrollback's lines as text, oldest first.
std::vector<std::string> scrollback_rows(const TerminalEmulator& terminal)
{
    std::vector<std::string> rows;
    for (int i = 0; i < terminal.screen().scrollback_lines(); ++i) {
        int length = 0;
        const Cell* cells = terminal.screen().scrollback_line(i, &length);
        std::string row;
        for (int x = 0; x < length; ++x)
            row += cells[x].ch == 0 ? ' ' : static_cast<char>(cells[x].ch);
        rows.push_back(row);
    }
    return rows;
}

TEST(TerminalScrollback, LinesLeavingTheTopAreKept)
{
    struct Case {
        const char* input;
        int limit;
        std::vector<std::string> kept;
        std::vector<std::string> screen;
    } cases[] = {
        {"1\r\n2\r\n3\r\n4\r\n5", 100, {"1", "2"}, {"3", "4", "5"}},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6", 2, {"2", "3"}, {"4", "5", "6"}},
        {"1\r\n2\r\n3\r\n4", 0, {}, {"2", "3", "4"}},
        // Scrolled inside a region that is not the whole screen: not kept.
        {"1\r\n2\r\n3\x1b[2;3r\x1b[3H\n\n", 100, {}, {"1", "", ""}},
        // The alternate screen keeps nothing.
        {"\x1b[?1049h1\r\n2\r\n3\r\n4", 100, {}, {"2", "3", "4"}},
        {"1\r\n2\r\n3\x1b[2S", 100, {"1", "2"}, {"3", "", ""}},
        {"1\r\n2\r\n3\r\n4\x1b[3J", 100, {}, {"2", "3", "4"}},
        {"\x1b[H\x1b[2M", 100, {}, {"", "", ""}},  // deleted lines are not kept
        // A repeat writes at most a screenful.
        {"x\x1b[65535b", 100, {"xxxxxxxxxx"}, {"xxxxxxxxxx", "xxxxxxxxxx", "x"}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TerminalEmulator terminal;
        terminal.set_scrollback_limit(cases[i].limit);
        ASSERT_TRUE(terminal.resize(10, 3));
        feed(terminal, cases[i].input);
        EXPECT_EQ(cases[i].kept, scrollback_rows(terminal)) << "case " << i << ": " << shown(cases[i].input);
        EXPECT_EQ(cases[i].screen, screen_rows(terminal)) << "case " << i << ": " << shown(cases[i].input);
    }
}

TEST(TerminalResize, TheCursorsLineStaysOnTheScreen)
{
    struct Case {
        int columns;
        int rows;
        std::vector<std::string> screen;
        std::vector<std::string> kept;
        int cursor_row;
        int cursor_column;
        const char* size_answer;
    } cases[] = {
        {6, 4, {"line1", "line2", "line3", "line4"}, {}, 3, 5, "\x1b[8;4;6t"},
        {6, 2, {"line3", "line4"}, {"line1", "line2"}, 1, 5, "\x1b[8;2;6t"},
        {3, 4, {"lin", "lin", "lin", "lin"}, {}, 3, 2, "\x1b[8;4;3t"},
        {12, 6, {"line1", "line2", "line3", "line4", "", ""}, {}, 3, 5, "\x1b[8;6;12t"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TerminalEmulator terminal;
        ASSERT_TRUE(terminal.resize(6, 4));
        feed(terminal, "line1\r\nline2\r\nline3\r\nline4");
        ASSERT_TRUE(terminal.resize(cases[i].columns, cases[i].rows));
        EXPECT_EQ(cases[i].screen, screen_rows(terminal)) << "case " << i;
        EXPECT_EQ(cases[i].kept, scrollback_rows(terminal)) << "case " << i;
        EXPECT_EQ(cases[i].cursor_row, terminal.cursor_row()) << "case " << i;
        EXPECT_EQ(cases[i].cursor_column, terminal.cursor_column()) << "case " << i;
        feed(terminal, "\x1b[18t");
        EXPECT_EQ(shown(cases[i].size_answer), shown(std::string(terminal.replies(), terminal.reply_length())))
            << "case " << i;
    }
}

TEST(TerminalDamage, OnlyTheRowsThatChangedAreToPaint)
{
    struct Case {
        const char* input;
        const char* damaged;  // one character a row: 1 changed, 0 not
    } cases[] = {
        {"", "0000"},
        {"x", "1000"},
        {"\x1b[3Hx", "0010"},
        {"\x1b[2;3Hab\x1b[4;1H\x1b[K", "0101"},
        {"\x1b[4H\n", "1111"},      // a scroll moves every row
        {"\x1b[2;3r\x1b[3H\n", "0110"},  // inside the region only
        {"\x1b[5;5H\x1b[6n\x07", "0000"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TerminalEmulator terminal;
        ASSERT_TRUE(terminal.resize(8, 4));
        terminal.screen().clear_damage();
        feed(terminal, cases[i].input);
        std::string damaged;
        for (int y = 0; y < 4; ++y)
            damaged += terminal.screen().damaged(y) ? '1' : '0';
        EXPECT_EQ(cases[i].damaged, damaged) << "case " << i << ": " << shown(cases[i].input);
    }
}

TEST(TerminalKeys, EachKeySendsWhatXtermSends)
{
    KeyOptions normal;
    KeyOptions application;
    application.application_cursor_keys = true;
    KeyOptions crlf_bs;
    crlf_bs.enter = EnterSends::cr_lf;
    crlf_bs.backspace_sends_bs = true;
    KeyOptions lf;
    lf.enter = EnterSends::lf;
    struct Case {
        TerminalKey key;
        unsigned modifiers;
        const KeyOptions* options;
        const char* bytes;
    } cases[] = {
        {TerminalKey::enter, 0, &normal, "\r"},
        {TerminalKey::enter, 0, &crlf_bs, "\r\n"},
        {TerminalKey::enter, 0, &lf, "\n"},
        {TerminalKey::backspace, 0, &normal, "\x7f"},
        {TerminalKey::backspace, 0, &crlf_bs, "\x08"},
        {TerminalKey::tab, 0, &normal, "\t"},
        {TerminalKey::tab, key_shift, &normal, "\x1b[Z"},
        {TerminalKey::escape, 0, &normal, "\x1b"},
        {TerminalKey::up, 0, &normal, "\x1b[A"},
        {TerminalKey::down, 0, &normal, "\x1b[B"},
        {TerminalKey::right, 0, &normal, "\x1b[C"},
        {TerminalKey::left, 0, &normal, "\x1b[D"},
        {TerminalKey::up, 0, &application, "\x1bOA"},
        {TerminalKey::left, 0, &application, "\x1bOD"},
        {TerminalKey::up, key_control, &application, "\x1b[1;5A"},
        {TerminalKey::right, key_shift, &normal, "\x1b[1;2C"},
        {TerminalKey::home, 0, &normal, "\x1b[H"},
        {TerminalKey::end, 0, &normal, "\x1b[F"},
        {TerminalKey::home, 0, &application, "\x1bOH"},
        {TerminalKey::insert, 0, &normal, "\x1b[2~"},
        {TerminalKey::delete_key, 0, &normal, "\x1b[3~"},
        {TerminalKey::delete_key, key_control, &normal, "\x1b[3;5~"},
        {TerminalKey::page_up, 0, &normal, "\x1b[5~"},
        {TerminalKey::page_down, 0, &normal, "\x1b[6~"},
        {TerminalKey::f1, 0, &normal, "\x1bOP"},
        {TerminalKey::f4, 0, &normal, "\x1bOS"},
        {TerminalKey::f1, key_shift, &normal, "\x1b[1;2P"},
        {TerminalKey::f5, 0, &normal, "\x1b[15~"},
        {TerminalKey::f6, 0, &normal, "\x1b[17~"},
        {TerminalKey::f10, 0, &normal, "\x1b[21~"},
        {TerminalKey::f11, 0, &normal, "\x1b[23~"},
        {TerminalKey::f12, 0, &normal, "\x1b[24~"},
        {TerminalKey::f12, key_control | key_shift, &normal, "\x1b[24;6~"},
        {TerminalKey::escape, key_alt, &normal, "\x1b\x1b"},
        {TerminalKey::backspace, key_alt, &normal, "\x1b\x7f"},
        {TerminalKey::up, key_alt, &normal, "\x1b[1;3A"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char out[key_bytes_room];
        memset(out, 0xff, sizeof out);
        size_t length = encode_key(cases[i].key, cases[i].modifiers, *cases[i].options, out);
        EXPECT_EQ(shown(cases[i].bytes), shown(std::string(out, length))) << "case " << i;
    }
}

TEST(TerminalKeys, TypedCharactersSendTheirBytes)
{
    struct Case {
        uint32_t c;
        unsigned modifiers;
        std::string bytes;
    } cases[] = {
        {'a', 0, "a"},
        {'A', key_shift, "A"},
        {0xE9, 0, "\xc3\xa9"},
        {0x4E2D, 0, "\xe4\xb8\xad"},
        {0x1F600, 0, "\xf0\x9f\x98\x80"},
        {'c', key_control, "\x03"},
        {'C', key_control | key_shift, "\x03"},
        {'z', key_control, "\x1a"},
        {'[', key_control, "\x1b"},
        {' ', key_control, std::string(1, '\0')},
        {'2', key_control, std::string(1, '\0')},
        {'6', key_control, "\x1e"},
        {'x', key_alt, "\x1bx"},
        {'c', key_alt | key_control, "\x1b\x03"},
        {0xD800, 0, ""},
        {0x110000, 0, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char out[key_bytes_room];
        size_t length = encode_char(cases[i].c, cases[i].modifiers, out);
        EXPECT_EQ(shown(cases[i].bytes), shown(std::string(out, length))) << "case " << i;
    }
}

TEST(TerminalKeys, PastedTextSendsLineEndsAsEnterAndIsFramedWhenAsked)
{
    struct Case {
        std::string text;
        bool bracketed;
        std::string bytes;
    } cases[] = {
        {"ls -l\r\npwd\n", false, "ls -l\rpwd\r"},
        {"one", true, "\x1b[200~one\x1b[201~"},
        {"a\x1b[201~b", true, "\x1b[200~ab\x1b[201~"},
        {"", true, "\x1b[200~\x1b[201~"},
        {"tab\there", false, "tab\there"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::vector<char> out(cases[i].text.size() + 12);
        size_t length = encode_paste(cases[i].text.data(), cases[i].text.size(), cases[i].bracketed, out.data());
        EXPECT_EQ(shown(cases[i].bytes), shown(std::string(out.data(), length))) << "case " << i;
    }
}

}  // namespace
