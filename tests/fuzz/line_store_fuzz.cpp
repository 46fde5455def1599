// Adds, replaces and drops lines in the order the input says, and compares
// the store with a plain list of strings after every step.
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include "text/line_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LineStore store;
    std::deque<std::string> model;
    for (size_t i = 0; i + 1 < size; i += 2) {
        uint8_t op = data[i] & 3, value = data[i + 1];
        // Lines of up to 4 KiB, so that the rings wrap and grow often.
        std::string text(static_cast<size_t>(value) * (data[i] >> 2) % 4096, static_cast<char>(i));
        char kind = static_cast<char>(data[i]);
        if (op == 0 || op == 1) {
            bool ok = op == 0 ? store.add(text.data(), static_cast<int>(text.size()), kind)
                              : store.replace_newest(text.data(), static_cast<int>(text.size()), kind);
            if (!ok)
                abort();
            if (op == 1 && !model.empty())
                model.pop_back();
            model.push_back(kind + text);
        } else if (op == 2) {
            store.drop_oldest(value % 8);
            for (int n = value % 8; n > 0 && !model.empty(); --n)
                model.pop_front();
        } else if (value == 0) {
            store.clear();
            model.clear();
        }
        if (store.count() != static_cast<int>(model.size()))
            abort();
        for (int k = 0; k < store.count(); ++k) {
            std::string line(static_cast<size_t>(store.length(k)), '\0');
            if (store.copy(k, &line[0], static_cast<int>(line.size())) != store.length(k) ||
                store.kind(k) + line != model[static_cast<size_t>(k)])
                abort();
        }
    }
    return 0;
}
