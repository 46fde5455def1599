// Adds, replaces, drops and clears lines, changes the filter's text and
// rebuilds it in steps, as the input says; whenever the filter has been
// through the store, its list is what a look at every line finds.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "text/ansi_text.h"
#include "text/line_search.h"
#include "text/line_store.h"

namespace {

std::string lower(std::string out, bool visible)
{
    if (visible)
        out.resize(static_cast<size_t>(strip_colour_codes(out.data(), static_cast<int>(out.size()), &out[0])));
    for (char& c : out)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char alphabet[] = "aAbB\x1b[3;m";
    LineStore store;
    LineFilter filter;
    std::string needle;
    for (size_t i = 0; i < size;) {
        uint8_t op = data[i++];
        std::string text;
        for (size_t length = i < size ? data[i++] % 8 : 0; length > 0 && i < size; --length)
            text += alphabet[data[i++] % (sizeof alphabet - 1)];
        int length = static_cast<int>(text.size());
        if (op % 6 <= 1 && store.add(text.data(), length, 1))
            filter.line_added(store);
        else if (op % 6 == 2 && store.replace_newest(text.data(), length, 1))
            filter.newest_replaced(store);
        else if (op % 6 == 3)
            op & 0x80 ? store.clear() : store.drop_oldest(op >> 3 & 7);
        if (op % 6 == 3)
            filter.lines_dropped(store);
        else if (op % 6 == 4)
            filter.set_text(store, (needle = text).data(), length);
        else if (op % 6 == 5)
            filter.rebuild(store, op >> 3);
        if (!filter.rebuilt(store))
            continue;
        std::vector<int> expected;
        for (int k = 0; k < store.count(); ++k) {
            std::string line(static_cast<size_t>(store.length(k)), '\0');
            store.copy(k, &line[0], static_cast<int>(line.size()));
            if (lower(line, true).find(lower(needle, false)) != std::string::npos)
                expected.push_back(k);
        }
        if (filter.count() != static_cast<int>(expected.size()))
            abort();
        for (int k = 0; k < filter.count(); ++k)
            if (filter.store_index(k) != expected[static_cast<size_t>(k)] ||
                filter.shown_index(expected[static_cast<size_t>(k)]) != k)
                abort();
    }
    return 0;
}
