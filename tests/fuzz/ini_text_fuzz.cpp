// Reads a settings text of any bytes the way the program does, builds it anew
// and reads that again: every key and every history line must come back
// as first read. Buffers are heap blocks of their exact size, so that a
// write or read one byte past them is caught.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "text/ini_text.h"

namespace {

struct Key { const char* section; const char* name; bool flag; };
const Key keys[] = {
    {"Port Settings", "ByteSize", false}, {"Port Settings", "Comm", false},
    {"Port Settings", "Parity", false},   {"Port Settings", "Speed", false},
    {"Port Settings", "StopBits", false}, {"Misc Settings", "Upper", true},
    {"Misc Settings", "SendChar", false},
};
const int key_count = sizeof keys / sizeof keys[0];
const char history_section[] = "Old commands";
const int history_capacity = 200;  // the command box's buffer
const int max_items = 64;

struct Settings {
    int32_t values[key_count];
    int32_t found[key_count];
    int item_count;
    char* items[max_items];
};

char* resize_heap_block(char* block, uint32_t size)
{
    if (size == 0) {
        free(block);
        return nullptr;
    }
    return static_cast<char*>(realloc(block, size));
}

void fail(const char* what, int index)
{
    fprintf(stderr, "round trip lost %s %d\n", what, index);
    abort();
}

void read_settings(IniText& text, Settings& settings)
{
    for (int i = 0; i < key_count; ++i) {
        if (i == 0 || strcmp(keys[i - 1].section, keys[i].section) != 0)
            text.find_section(keys[i].section);
        settings.found[i] = keys[i].flag ? text.get_bool(keys[i].name, &settings.values[i], 0)
                                         : text.get_int(keys[i].name, &settings.values[i], 0);
    }
    settings.item_count = 0;
    if (!text.find_section(history_section))
        return;
    for (;;) {
        char* item = static_cast<char*>(malloc(history_capacity));
        if (settings.item_count == max_items || !text.next_list_line(item, history_capacity)) {
            free(item);
            return;
        }
        settings.items[settings.item_count++] = item;
    }
}

void free_items(Settings& settings)
{
    for (int i = 0; i < settings.item_count; ++i)
        free(settings.items[i]);
}

// Every line, and a key's value, through buffers of a few sizes, the
// smallest ones included.
void read_every_line(IniText& text, const uint8_t* data, size_t size)
{
    int capacity = size ? data[0] % 8 : 0;
    char* line = static_cast<char*>(malloc(capacity ? capacity : 1));
    text.attach(text.buffer, static_cast<uint32_t>(text.end - text.buffer));
    while (text.read_line(capacity ? line : nullptr, capacity))
        if (capacity && strlen(line) >= static_cast<size_t>(capacity))
            fail("the end of a line cut to", capacity);
    // A key's value through the same buffer.
    text.find_section(keys[0].section);
    if (text.find_key(keys[0].name, capacity ? line : nullptr, capacity) && capacity &&
        strlen(line) >= static_cast<size_t>(capacity))
        fail("the end of a value cut to", capacity);
    free(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > settings_max_file_size)
        return 0;
    // The text alone, with no terminator after it: nothing may read past it.
    char* bytes = static_cast<char*>(malloc(size ? size : 1));
    if (size)
        memcpy(bytes, data, size);

    IniText first(settings_section_name_length, settings_line_length);
    first.attach(bytes, static_cast<uint32_t>(size));
    Settings read_first;
    read_settings(first, read_first);
    read_every_line(first, data, size);

    IniTextBuilder builder(settings_section_name_length, settings_line_length, resize_heap_block);
    builder.begin(size % 64, static_cast<int32_t>(size % 5));
    const char* section = nullptr;
    for (int i = 0; i < key_count; ++i) {
        if (!section || strcmp(section, keys[i].section) != 0)
            builder.write_section(section = keys[i].section);
        if (keys[i].flag)
            builder.write_bool(keys[i].name, read_first.values[i]);
        else
            builder.write_int(keys[i].name, read_first.values[i]);
    }
    builder.write_section(history_section);
    for (int i = 0; i < read_first.item_count; ++i)
        builder.write_line(read_first.items[i]);
    // Last, a section and a key named by the input's first bytes, cut where
    // they are too long; the sections before it are found first.
    char name[64];
    size_t name_length = size < sizeof name - 1 ? size : sizeof name - 1;
    memcpy(name, data, name_length);
    name[name_length] = '\0';
    int32_t value = 0;
    first.find_section(name);
    first.get_int(name, &value, 0);
    builder.write_section(name);
    builder.write_int(name, value);
    if (builder.error || strlen(builder.buffer) != builder.used)
        fail("the built text, length", static_cast<int>(builder.used));

    IniText second(settings_section_name_length, settings_line_length);
    second.attach(builder.buffer, builder.used);
    Settings read_second;
    read_settings(second, read_second);
    for (int i = 0; i < key_count; ++i)
        if (!read_second.found[i] || read_second.values[i] != read_first.values[i])
            fail("key", i);
    if (read_second.item_count != read_first.item_count)
        fail("the history's length", read_first.item_count);
    for (int i = 0; i < read_first.item_count; ++i)
        if (strcmp(read_first.items[i], read_second.items[i]) != 0)
            fail("history line", i);

    free_items(read_first);
    free_items(read_second);
    builder.release();
    free(bytes);
    return 0;
}
