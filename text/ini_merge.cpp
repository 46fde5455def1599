#include "text/ini_merge.h"
#include <cstdlib>
#include <cstring>
#include "text/upper_ascii.h"

namespace {

class Merge {
public:
    Merge(IniText& base, IniText& ours, const char* whole, IniTextBuilder& out)
        : base(base), ours(ours), whole(whole), out(out), size(ours.line_size),
          scratch(static_cast<char*>(malloc(4 * size)))
    {
    }
    ~Merge() { free(scratch); }
    Merge(const Merge&) = delete;
    Merge& operator=(const Merge&) = delete;

    // Writes the header of `section` and, when it is the first of that name
    // in `text` (whose reader stands just past it), what this window changed
    // in it. Nonzero when a list section of this window's replaces the text's.
    bool header(IniText& text, const char* line, const char* after_header);
    // Writes the keys of `section` found in `text`'s body that this window
    // changed: ours' lines as they are, from base's only those ours lacks.
    void changed_keys(IniText& text, const char* section);
    bool body(IniText& text, const char* section, const char*& start, const char*& end);
    bool body_changed(const char* section);

    IniText& base;
    IniText& ours;
    const char* whole;
    IniTextBuilder& out;
    int32_t size;
    char* scratch;  // four lines: a walked line, a section name, two values
};

// A header line's name: the text after '[' up to ']', copied to `name`.
void header_name(const char* line, char* name)
{
    strcpy(name, line + 1);
    if (char* closing = strchr(name, ']'))
        *closing = '\0';
}

bool Merge::body(IniText& text, const char* section, const char*& start, const char*& end)
{
    start = end = nullptr;
    if (!text.find_section(section))
        return false;
    start = end = text.section_start;
    // Line by line, each ended as IniText ends it, up to the next header.
    while (end != text.end && *end != '[') {
        while (end != text.end && *end != '\r' && *end != '\n')
            ++end;
        if (end != text.end && *end++ == '\r' && end != text.end && *end == '\n')
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

void Merge::changed_keys(IniText& text, const char* section)
{
    const char *start, *end;
    if (!body(text, section, start, end))
        return;
    IniText walk(0, size - 2);
    walk.attach(const_cast<char*>(start), static_cast<uint32_t>(end - start));
    char* line = scratch;
    char* base_value = scratch + 2 * size;
    char* ours_value = scratch + 3 * size;
    while (walk.read_line(line, size)) {
        char* equals = strchr(line, '=');
        if (!equals)
            continue;
        *equals = '\0';
        bool in_base = base.find_section(section) && base.find_key(line, base_value, size);
        bool in_ours = ours.find_section(section) && ours.find_key(line, ours_value, size);
        if (in_base == in_ours && (!in_ours || strcmp(base_value, ours_value) == 0))
            continue;
        // A key this window no longer has is written empty, which reads as
        // its default like any value that isn't valid.
        if (&text != &ours) {
            if (!in_ours)
                out.write_text(line, "");
            continue;
        }
        *equals = '=';
        out.write_line(line);
    }
}

bool Merge::header(IniText& text, const char* line, const char* after_header)
{
    char* section = scratch + size;
    header_name(line, section);
    out.write_line(line);
    if (!text.find_section(section) || text.section_start != after_header)
        return false;
    for (const char* name = whole; *name; name += strlen(name) + 1) {
        if (!equal_ignoring_ascii_case(name, section))
            continue;
        const char *start, *end;
        if (!body_changed(section) || !body(ours, section, start, end))
            return false;
        IniText walk(0, size - 2);
        walk.attach(const_cast<char*>(start), static_cast<uint32_t>(end - start));
        while (walk.read_line(scratch, size))
            out.write_line(scratch);
        return true;
    }
    changed_keys(ours, section);
    changed_keys(base, section);
    return false;
}

}  // namespace

int32_t merge_ini_texts(IniText& base, IniText& ours, IniText& theirs,
                        const char* whole_sections, IniTextBuilder& out)
{
    Merge merge(base, ours, whole_sections, out);
    if (!merge.scratch)
        return 0;
    int32_t size = merge.size;
    char* line = merge.scratch + size;  // kept apart from the section name
    char* walked = static_cast<char*>(malloc(size));
    if (!walked)
        return 0;
    // The file's lines, each section's first header followed by what this
    // window changed there: a reader takes the first of a key, so those win.
    IniText walk(0, size - 2);
    walk.attach(theirs.buffer, static_cast<uint32_t>(theirs.end - theirs.buffer));
    bool skipping = false;
    while (walk.read_line(walked, size)) {
        if (walked[0] == '[')
            skipping = merge.header(theirs, walked, walk.cursor);
        else if (!skipping)
            out.write_line(walked);
    }
    // Then this window's sections the file lacks.
    walk.attach(ours.buffer, static_cast<uint32_t>(ours.end - ours.buffer));
    while (walk.read_line(walked, size)) {
        if (walked[0] != '[')
            continue;
        header_name(walked, line);
        if (!theirs.find_section(line))
            merge.header(ours, walked, walk.cursor);
    }
    free(walked);
    return out.error ? 0 : 1;
}

namespace {

// Writes the keys of `section` in `file` that the program does not know and
// ours lacks (none of a list section); returns how many. `scratch` holds
// two lines.
int32_t write_unknown_keys(IniText& ours, IniText& file, const IniKeyLog& known,
                           const char* whole, const char* section, char* scratch,
                           IniTextBuilder& out)
{
    for (const char* name = whole; *name; name += strlen(name) + 1)
        if (equal_ignoring_ascii_case(name, section))
            return 0;
    if (!file.find_section(section))
        return 0;
    int32_t size = file.line_size, kept = 0;
    char* line = scratch;
    char* value = scratch + size;
    IniText walk(0, size - 2);
    walk.attach(file.section_start, static_cast<uint32_t>(file.end - file.section_start));
    while (walk.read_line(line, size) && line[0] != '[') {
        char* equals = strchr(line, '=');
        if (!equals || equals == line)
            continue;
        *equals = '\0';
        if ((ours.find_section(section) && ours.find_key(line, value, size)) ||
            known.knows(section, line))
            continue;
        *equals = '=';
        out.write_line(line);
        ++kept;
    }
    return kept;
}

}  // namespace

int32_t keep_unknown_keys(IniText& ours, IniText& file, const IniKeyLog& known,
                          const char* whole_sections, IniTextBuilder& out)
{
    int32_t size = file.line_size;
    char* scratch = static_cast<char*>(malloc(4 * static_cast<size_t>(size)));
    if (!scratch)
        return -1;
    char* line = scratch + 2 * size;
    char* section = scratch + 3 * size;
    int32_t kept = 0;
    // Ours line by line, each section followed by the file's unknown keys.
    IniText walk(0, size - 2);
    walk.attach(ours.buffer, static_cast<uint32_t>(ours.end - ours.buffer));
    section[0] = '\0';
    bool in_section = false;
    while (walk.read_line(line, size)) {
        if (line[0] == '[') {
            if (in_section)
                kept += write_unknown_keys(ours, file, known, whole_sections, section, scratch, out);
            header_name(line, section);
            in_section = true;
        }
        out.write_line(line);
    }
    if (in_section)
        kept += write_unknown_keys(ours, file, known, whole_sections, section, scratch, out);
    // Then the file's sections ours lacks, each the first of its name, when
    // they hold such keys.
    walk.attach(file.buffer, static_cast<uint32_t>(file.end - file.buffer));
    while (walk.read_line(line, size)) {
        if (line[0] != '[')
            continue;
        header_name(line, section);
        char* start = walk.cursor;
        if (ours.find_section(section) || !file.find_section(section) || file.section_start != start)
            continue;
        uint32_t header_end = out.used;
        out.write_line(line);
        int32_t found = write_unknown_keys(ours, file, known, whole_sections, section, scratch, out);
        if (!found && !out.error) {
            out.used = header_end;  // a header alone is not kept
            out.buffer[out.used] = '\0';
        }
        kept += found;
    }
    free(scratch);
    return out.error ? -1 : kept;
}
