// Five texts of any length and a bar of any width: every part's shown text
// stays within its bounds and keeps both ends of the whole text around one
// ellipsis; parts that never yield show theirs whole.
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include "text/status_fit.h"

namespace {

// Characters of different widths, as in a proportional font.
int varied_width(const wchar_t* text, int length, void*)
{
    int width = 0;
    for (int i = 0; i < length; ++i)
        width += 1 + static_cast<int>(text[i] % 9);
    return width;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static wchar_t texts[5][status_fit_text_max + 1];
    StatusPartFit parts[5];
    size_t at = size > 2 ? 2 : size;
    for (int i = 0; i < 5; ++i) {
        int length = 0;
        for (; at < size && data[at] && length < status_fit_text_max; ++at)
            texts[i][length++] = data[at];
        texts[i][length] = L'\0';
        at += at < size;
        parts[i].text = texts[i];
        parts[i].margin = i + 3;
        parts[i].progress = i == 4 && length % 2;
        parts[i].yields = (i * 3 + length) % 4;
    }
    int room = size >= 2 ? data[0] * 8 + data[1] % 8 : 0;
    fit_status_parts(parts, 5, room, varied_width, nullptr);
    for (const StatusPartFit& part : parts) {
        size_t whole = wcslen(part.text), shown = wcslen(part.shown);
        if (part.width < part.margin || shown > whole || (!part.yields && wcscmp(part.text, part.shown)))
            abort();
        const wchar_t* cut = wcschr(part.shown, L'\x2026');
        size_t head = cut ? static_cast<size_t>(cut - part.shown) : shown;
        if (wcsncmp(part.text, part.shown, head) ||
            (cut && wcscmp(part.text + whole - (shown - head - 1), cut + 1)))
            abort();
    }
    return 0;
}
