// Adds, replaces, drops and clears lines, changes the filter's text and
// rebuilds it in steps, in the order the input says; whenever the filter has
// been through the store, its list must be what looking at every line finds.
// A find from a random line, in random steps, must stop at the first line
// that a plain walk round the store finds.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "text/line_search.h"
#include "text/line_store.h"

namespace {

// The visible text: colour markers (ESC [ digits and semicolons m) and any
// other ESC taken out.
std::string plain(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != 0x1b) {
            out += text[i];
            continue;
        }
        size_t end = i + 1;
        if (end < text.size() && text[end] == '[') {
            ++end;
            while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == ';'))
                ++end;
            if (end < text.size() && text[end] == 'm')
                i = end;
        }
    }
    return out;
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return text;
}

bool model_contains(const std::string& line, const std::string& needle, bool match_case)
{
    return match_case ? plain(line).find(needle) != std::string::npos
                      : lower(plain(line)).find(lower(needle)) != std::string::npos;
}

std::string line_of(const LineStore& store, int index)
{
    std::string text(static_cast<size_t>(store.length(index)), '\0');
    text.resize(static_cast<size_t>(store.copy(index, &text[0], static_cast<int>(text.size()))));
    return text;
}

// Texts from a few bytes of the input, in a small alphabet so that lines
// match often and markers appear.
std::string text_from(const uint8_t*& data, const uint8_t* end)
{
    static const char alphabet[] = "aAbB\x1b[3;m";
    std::string text;
    size_t length = data < end ? *data++ % 8 : 0;
    for (; length > 0 && data < end; --length)
        text += alphabet[*data++ % (sizeof alphabet - 1)];
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* end = data + size;
    LineStore store;
    LineFilter filter;
    std::string needle;
    filter.set_text(store, "", 0);
    while (data < end) {
        uint8_t op = *data++;
        std::string text = text_from(data, end);
        switch (op % 8) {
        case 0:
        case 1:
            store.add(text.data(), static_cast<int>(text.size()), 1);
            filter.line_added(store);
            break;
        case 2:
            store.replace_newest(text.data(), static_cast<int>(text.size()), 1);
            filter.newest_replaced(store);
            break;
        case 3:
            if (op & 0x80)
                store.clear();
            else
                store.drop_oldest(op >> 3 & 7);
            filter.lines_dropped(store);
            break;
        case 4:
            needle = text;
            filter.set_text(store, needle.data(), static_cast<int>(needle.size()));
            break;
        case 5:
            filter.rebuild(store, op >> 3);
            break;
        case 6: {
            int count = store.count();
            int from = count ? (op >> 3) % count : 0;
            bool down = op & 0x80, match_case = op & 0x40;
            int expected = line_not_found;
            for (int k = 0; k < count; ++k) {
                int index = down ? (from + k) % count : (from - k + count) % count;
                if (model_contains(line_of(store, index), text, match_case)) {
                    expected = index;
                    break;
                }
            }
            LineFinder finder;
            finder.begin(store, from, down);
            int found = line_search_going_on;
            for (int step = 1; found == line_search_going_on; ++step)
                found = finder.step(store, text.data(), static_cast<int>(text.size()), match_case, step % 3 + 1);
            if (found != expected)
                abort();
            break;
        }
        default:
            break;
        }
        if (!filter.rebuilt(store))
            continue;
        std::vector<int> expected;
        for (int i = 0; i < store.count(); ++i)
            if (model_contains(line_of(store, i), needle, false))
                expected.push_back(i);
        if (filter.count() != static_cast<int>(expected.size()))
            abort();
        for (int k = 0; k < filter.count(); ++k)
            if (filter.store_index(k) != expected[static_cast<size_t>(k)] ||
                filter.shown_index(expected[static_cast<size_t>(k)]) != k)
                abort();
    }
    return 0;
}
