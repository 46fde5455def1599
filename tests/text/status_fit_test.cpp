#include "text/status_fit.h"
#include <gtest/gtest.h>
#include <string>

namespace {

int five_each(const wchar_t*, int length, void*)
{
    return 5 * length;
}

// The bar's parts in order (state, line, capture, signals, send), each with a
// margin of 10 and every character 5 wide; the texts shown, "~" for the
// ellipsis, and the widths.
TEST(StatusFit, PartsYieldInTheirOrderAndTheStateAndALiveSendStayWhole)
{
    const struct {
        const wchar_t* texts[5];
        bool sending;  // the send part has a progress bar and never yields
        int room;
        const char* shown;
    } cases[] = {
        {{L"Port is open", L"COM1 9600 8N1", L"", L"No signals", L""}, false, 300,
         "Port is open 145|COM1 9600 8N1 75|10|No signals 60|10"},
        {{L"Port is open", L"COM1 115200 8N1", L"Capture: C:\\logs\\device.txt, 0 bytes",
          L"No signals", L"\t\tx.bin 4 % (1 of 20 bytes)"}, true, 520,
         "Port is open 70|COM1 115200 8N1 85|Capture~0 bytes 85|No signals 60|\t\tx.bin 4 % (1 of 20 bytes) 217"},
        {{L"Port was lost", L"COM7 does not exist", L"Capture: a.txt, 9 bytes", L"CTS DSR",
          L"Sent a.bin: 9 bytes"}, false, 200, "Port was lost 75|COM7 do~ exist 80|~ 15|~ 15|~ 15"},
        {{L"Opening COM7...", L"", L"Capture: a.txt, 9 bytes", L"", L"\t\ta 1 % (1 of 99 bytes)"},
         true, 100, "Opening COM7... 85|10|~ 15|10|\t\ta 1 % (1 of 99 bytes) 187"},
    };
    const int turns[5] = {0, 4, 1, 3, 2};
    for (const auto& c : cases) {
        StatusPartFit parts[5];
        for (int i = 0; i < 5; ++i) {
            parts[i].text = c.texts[i];
            parts[i].margin = 10;
            parts[i].progress = i == 4 && c.sending;
            parts[i].yields = parts[i].progress ? 0 : turns[i];
        }
        fit_status_parts(parts, 5, c.room, five_each, nullptr);
        std::string shown;
        for (int i = 0; i < 5; ++i) {
            for (const wchar_t* t = parts[i].shown; *t; ++t)
                shown += *t == L'\x2026' ? '~' : static_cast<char>(*t);
            shown += (parts[i].shown[0] ? " " : "") + std::to_string(parts[i].width) + (i < 4 ? "|" : "");
        }
        EXPECT_EQ(c.shown, shown) << "room " << c.room;
    }
}

}  // namespace
