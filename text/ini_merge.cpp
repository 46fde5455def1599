#include "text/ini_merge.h"
#include <cstdlib>
#include <cstring>
#include "text/upper_ascii.h"

namespace {

class Merge {
public:
    Merge(IniText& base, IniText& ours, IniText& theirs, const char* whole,
          IniTextBuilder& out)
        : base(base), ours(ours), theirs(theirs), whole(whole), out(out),
          size(theirs.line_size), scratch(static_cast<char*>(malloc(5 * size)))
    {
    }
    ~Merge() { free(scratch); }
    Merge(const Merge&) = delete;
    Merge& operator=(const Merge&) = delete;

    int32_t run();

private:
    // The value of `key` in `section` of `text`, into `value` (size bytes).
    bool lookup(IniText& text, const char* section, const char* key, char* value)
    {
        return text.find_section(section) && text.find_key(key, value, size);
    }
    bool key_changed(const char* section, const char* key);
    bool is_whole(const char* section) const;
    // The body of `section` in `text`: from after its first header to the
    // next header; false when there is no such section.
    bool body(IniText& text, const char* section, const char*& start, const char*& end);
    bool body_changed(const char* section);
    void copy_body(const char* section);
    // Adds ours' changed keys of `section` that theirs does not have.
    void add_missing_keys(const char* section);
    void end_section(const char* section, bool first);
    void add_sections_theirs_lacks();

    IniText& base;
    IniText& ours;
    IniText& theirs;
    const char* whole;
    IniTextBuilder& out;
    int32_t size;
    char* scratch;  // five lines: a line, a section name, two values, theirs' line
};

// A header line's name: the text after '[' up to ']', in place.
char* header_name(char* line)
{
    char* name = line + 1;
    char* closing = strchr(name, ']');
    if (closing)
        *closing = '\0';
    return name;
}

bool Merge::key_changed(const char* section, const char* key)
{
    char* base_value = scratch + 2 * size;
    char* ours_value = scratch + 3 * size;
    bool in_base = lookup(base, section, key, base_value);
    bool in_ours = lookup(ours, section, key, ours_value);
    return in_base != in_ours || (in_ours && strcmp(base_value, ours_value) != 0);
}

bool Merge::is_whole(const char* section) const
{
    for (const char* name = whole; *name; name += strlen(name) + 1)
        if (equal_ignoring_ascii_case(name, section))
            return true;
    return false;
}

bool Merge::body(IniText& text, const char* section, const char*& start, const char*& end)
{
    start = end = nullptr;
    if (!text.find_section(section))
        return false;
    start = end = text.section_start;
    while (end != text.end && *end != '[') {
        while (end != text.end && *end != '\r' && *end != '\n')
            ++end;
        while (end != text.end && (*end == '\r' || *end == '\n'))
            ++end;
    }
    return true;
}

bool Merge::body_changed(const char* section)
{
    const char *base_start, *base_end, *ours_start, *ours_end;
    body(base, section, base_start, base_end);
    body(ours, section, ours_start, ours_end);
    size_t length = static_cast<size_t>(ours_end - ours_start);
    return length != static_cast<size_t>(base_end - base_start) ||
           (length && memcmp(base_start, ours_start, length) != 0);
}

void Merge::copy_body(const char* section)
{
    const char *start, *end;
    if (!body(ours, section, start, end))
        return;
    IniText walk(0, size - 2);
    walk.attach(const_cast<char*>(start), static_cast<uint32_t>(end - start));
    while (walk.read_line(scratch, size))
        out.write_line(scratch);
}

void Merge::add_missing_keys(const char* section)
{
    const char *start, *end;
    if (!body(ours, section, start, end))
        return;
    IniText walk(0, size - 2);
    walk.attach(const_cast<char*>(start), static_cast<uint32_t>(end - start));
    char* line = scratch;
    while (walk.read_line(line, size)) {
        char* equals = strchr(line, '=');
        if (!equals)
            continue;
        *equals = '\0';
        if (key_changed(section, line) && !lookup(theirs, section, line, scratch + 2 * size))
            out.write_text(line, scratch + 3 * size);  // ours' value, left by key_changed
    }
}

void Merge::end_section(const char* section, bool first)
{
    if (!first)
        return;
    if (is_whole(section)) {
        if (body_changed(section))
            copy_body(section);
    } else {
        add_missing_keys(section);
    }
}

void Merge::add_sections_theirs_lacks()
{
    IniText walk(0, size - 2);
    walk.attach(ours.buffer, static_cast<uint32_t>(ours.end - ours.buffer));
    char* section = scratch + size;
    while (walk.read_line(section, size)) {
        if (section[0] != '[')
            continue;
        char* name = header_name(section);
        memmove(section, name, strlen(name) + 1);
        const char* after_header = walk.cursor;
        // Only a section's first header counts, as for reading.
        if (theirs.find_section(section) || !ours.find_section(section) ||
            ours.section_start != after_header)
            continue;
        if (is_whole(section) && !body_changed(section))
            continue;
        out.write_section(section);
        end_section(section, true);
    }
}

int32_t Merge::run()
{
    if (!scratch || !base.buffer || !ours.buffer)
        return 0;
    IniText walk(0, size - 2);
    walk.attach(theirs.buffer, static_cast<uint32_t>(theirs.end - theirs.buffer));
    char* line = scratch + 4 * size;
    char* section = scratch + size;
    bool in_section = false;  // past the first header
    bool first = false;       // in the first section of its name
    bool replaced = false;    // its body is ours' instead
    section[0] = '\0';
    while (walk.read_line(line, size)) {
        if (line[0] == '[') {
            if (in_section)
                end_section(section, first);
            out.write_line(line);
            char* name = header_name(line);
            memmove(section, name, strlen(name) + 1);
            in_section = true;
            first = theirs.find_section(section) && theirs.section_start == walk.cursor;
            replaced = first && is_whole(section) && body_changed(section);
            continue;
        }
        if (replaced)
            continue;
        char* equals = in_section && !is_whole(section) ? strchr(line, '=') : nullptr;
        if (equals) {
            *equals = '\0';
            if (key_changed(section, line)) {
                if (lookup(ours, section, line, scratch + 3 * size))
                    out.write_text(line, scratch + 3 * size);
                continue;
            }
            *equals = '=';
        }
        out.write_line(line);
    }
    if (in_section)
        end_section(section, first);
    add_sections_theirs_lacks();
    return out.error ? 0 : 1;
}

}  // namespace

int32_t merge_ini_texts(IniText& base, IniText& ours, IniText& theirs,
                        const char* whole_sections, IniTextBuilder& out)
{
    Merge merge(base, ours, theirs, whole_sections, out);
    return merge.run();
}
