#include "text/status_fit.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// Every character 5 pixels wide, the ellipsis shown as "~".
int five_each(const wchar_t*, int length, void*)
{
    return 5 * length;
}

std::string narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out += *text == L'\x2026' ? '~' : static_cast<char>(*text);
    return out;
}

// The bar's parts in order: the port's state, the line, the capture, the
// signals, the send part; each with a margin of 10.
TEST(StatusFit, PartsYieldInTheirOrderAndTheStateAndALiveSendStayWhole)
{
    const struct {
        const char* what;
        const wchar_t* texts[5];
        bool sending;  // a file goes out: the send part has a progress bar and never yields
        int room;
        const char* shown;  // the texts shown and the parts' widths
    } cases[] = {
        {"all fit: the state takes the rest",
         {L"Port is open", L"COM1 9600 8N1", L"", L"No signals", L""}, false, 300,
         "Port is open 145|COM1 9600 8N1 75|10|No signals 60|10"},
        {"capture shortens first, both ends kept",
         {L"Port is open", L"COM1 115200 8N1", L"Capture: C:\\logs\\device.txt, 0 bytes",
          L"No signals", L"\t\tx.bin 4 % (1 of 20 bytes)"},
         true, 520,
         "Port is open 70|COM1 115200 8N1 85|Capture~0 bytes 85|No signals 60|\t\tx.bin 4 % (1 of 20 bytes) 217"},
        {"a lost port says so beside a long reason",
         {L"Port was lost", L"COM7 does not exist", L"", L"", L""}, false, 210,
         "Port was lost 75|COM7 does not exist 105|10|10|10"},
        {"then an old result, the signals and the line",
         {L"Port was lost", L"COM7 does not exist", L"Capture: a.txt, 9 bytes", L"CTS DSR",
          L"Sent a.bin: 9 bytes"},
         false, 200, "Port was lost 75|COM7 do~ exist 80|~ 15|~ 15|~ 15"},
        {"too narrow: what never yields stays whole",
         {L"Opening COM7...", L"", L"Capture: a.txt, 9 bytes", L"", L"\t\ta 1 % (1 of 99 bytes)"},
         true, 100, "Opening COM7... 85|10|~ 15|10|\t\ta 1 % (1 of 99 bytes) 187"},
    };
    const int yields[5] = {0, 4, 1, 3, 2};
    for (const auto& c : cases) {
        StatusPartFit parts[5];
        for (int i = 0; i < 5; ++i) {
            parts[i].text = c.texts[i];
            parts[i].margin = 10;
            parts[i].yields = i == 4 && c.sending ? 0 : yields[i];
            parts[i].progress = i == 4 && c.sending;
        }
        fit_status_parts(parts, 5, c.room, five_each, nullptr);
        std::string shown;
        for (int i = 0; i < 5; ++i)
            shown += (i ? "|" : "") + narrow(parts[i].shown) +
                     (parts[i].shown[0] ? " " : "") + std::to_string(parts[i].width);
        EXPECT_EQ(c.shown, shown) << c.what << ", room " << c.room;
    }
}

}  // namespace
