// Any bytes as three settings texts (split at the first two NUL bytes):
// merging must stay in bounds, and with the file as this window found it,
// every key of ours must read back with ours' value (a key ours lacks empty).
// Keeping the file's keys that ours lacks stays in bounds too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "text/ini_merge.h"

namespace {

char* resize_heap_block(char* block, uint32_t size)
{
    if (size == 0) {
        free(block);
        return nullptr;
    }
    return static_cast<char*>(realloc(block, size));
}

// A heap copy of its exact size plus the zero the readers rely on.
char* copy_of(const uint8_t* data, size_t size)
{
    char* text = static_cast<char*>(malloc(size + 1));
    memcpy(text, data, size);
    text[size] = '\0';
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* end = data + size;
    const uint8_t* first = static_cast<const uint8_t*>(memchr(data, 0, size));
    if (!first)
        return 0;
    const uint8_t* second = static_cast<const uint8_t*>(memchr(first + 1, 0, end - first - 1));
    if (!second)
        return 0;
    char* base = copy_of(data, first - data);
    char* ours = copy_of(first + 1, second - first - 1);
    char* theirs = copy_of(second + 1, end - second - 1);
    IniText base_text(40, 300), ours_text(40, 300), theirs_text(40, 300);
    base_text.attach(base, static_cast<uint32_t>(first - data));
    ours_text.attach(ours, static_cast<uint32_t>(second - first - 1));
    theirs_text.attach(theirs, static_cast<uint32_t>(end - second - 1));
    IniTextBuilder out(40, 300, resize_heap_block);
    out.begin(64, 64);
    merge_ini_texts(base_text, ours_text, theirs_text, "Old commands\0", out);
    // Merged with the base itself: each changed key of section [S] reads back as ours.
    IniTextBuilder again(40, 300, resize_heap_block);
    again.begin(64, 64);
    base_text.attach(base, static_cast<uint32_t>(first - data));
    theirs_text.attach(base, static_cast<uint32_t>(first - data));
    if (merge_ini_texts(base_text, ours_text, theirs_text, "Old commands\0", again)) {
        IniText result(40, 300);
        result.attach(again.buffer, again.used);
        char ours_value[302], merged_value[302];
        const char* keys[] = {"a", "b", "Upper"};
        for (const char* key : keys) {
            bool in_ours = ours_text.find_section("S") && ours_text.find_key(key, ours_value, 302);
            bool in_merged = result.find_section("S") && result.find_key(key, merged_value, 302);
            // A key ours lacks may read empty, as its default.
            if (!in_ours)
                ours_value[0] = '\0';
            if (!in_merged)
                merged_value[0] = '\0';
            if ((in_ours && !in_merged) || strcmp(ours_value, merged_value) != 0)
                abort();
        }
    }
    IniKeyLog known;
    IniTextBuilder kept(40, 300, resize_heap_block);
    kept.begin(64, 64);
    ours_text.attach(ours, static_cast<uint32_t>(second - first - 1));
    theirs_text.attach(theirs, static_cast<uint32_t>(end - second - 1));
    keep_unknown_keys(ours_text, theirs_text, known, "Old commands\0", kept);
    kept.release();
    again.release();
    out.release();
    free(base);
    free(ours);
    free(theirs);
    return 0;
}
