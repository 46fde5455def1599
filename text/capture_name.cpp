#include "text/capture_name.h"

namespace {

// A path being written into a buffer of `room` units. Once a unit does not
// fit, the rest is refused and the path comes out empty.
struct PathWriter {
    PathChar* out;
    int room;
    int length;
    bool fits;

    void put(PathChar c)
    {
        if (length < room - 1)
            out[length++] = c;
        else
            fits = false;
    }
    void put_text(const PathChar* text, int count)
    {
        for (int i = 0; i < count; ++i)
            put(text[i]);
    }
    // `value` in decimal with at least `digits` digits; below zero counts as zero.
    void put_number(int32_t value, int digits)
    {
        PathChar reversed[10];
        uint32_t rest = value > 0 ? static_cast<uint32_t>(value) : 0;
        int count = 0;
        do {
            reversed[count++] = static_cast<PathChar>(u'0' + rest % 10);
            rest /= 10;
        } while (rest || count < digits);
        while (count)
            put(reversed[--count]);
    }
    int finish()
    {
        if (!fits)
            length = 0;
        out[length] = 0;
        return length;
    }
};

bool is_separator(PathChar c)
{
    return c == u'\\' || c == u'/';
}

// Where the folders of `path` begin: after "C:\" or the "C:" of a path
// relative to that drive, after "\\server\share\", after a leading "\".
int root_length(const PathChar* path)
{
    if (is_separator(path[0]) && is_separator(path[1])) {
        int at = 2;
        for (int part = 0; part < 2; ++part) {
            while (path[at] && !is_separator(path[at]))
                ++at;
            if (path[at])
                ++at;
        }
        return at;
    }
    if (path[0] && path[1] == u':')
        return is_separator(path[2]) ? 3 : 2;
    return is_separator(path[0]) ? 1 : 0;
}

PathChar lower_ascii(PathChar c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<PathChar>(c + 32) : c;
}

// Whether two names are one file's: Windows ignores the case of letters
// (here only ASCII's, which covers the names patterns make).
bool same_name(const PathChar* a, const PathChar* b)
{
    while (*a && lower_ascii(*a) == lower_ascii(*b))
        ++a, ++b;
    return lower_ascii(*a) == lower_ascii(*b);
}

bool is_digit_of_a_port(PathChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'\u00b9' || c == u'\u00b2' || c == u'\u00b3';
}

// Whether the `length` units at `base` (a part before its first dot, its
// ending spaces and dots taken away) are a device's name.
bool is_device_name(const PathChar* base, int length)
{
    // The last two take a digit.
    static const char devices[6][4] = {"con", "prn", "aux", "nul", "com", "lpt"};
    if (length != 3 && length != 4)
        return false;
    for (int device = 0; device < 6; ++device) {
        int same = 0;
        while (same < 3 && lower_ascii(base[same]) == static_cast<PathChar>(devices[device][same]))
            ++same;
        if (same == 3)
            return device >= 4 ? length == 4 && is_digit_of_a_port(base[3]) : length == 3;
    }
    return false;
}

}  // namespace

CaptureNameCheck check_capture_name(const PathChar* path)
{
    if (!path)
        return {CaptureNameFault::none, 0};
    bool drive = ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
                 path[1] == u':';
    int part = 0;
    for (int at = 0;; ++at) {
        PathChar c = path[at];
        if (!c || is_separator(c)) {
            int end = part;
            while (end < at && path[end] != u'.')
                ++end;
            while (end > part && (path[end - 1] == u' ' || path[end - 1] == u'.'))
                --end;
            if (is_device_name(path + part, end - part))
                return {CaptureNameFault::device, part};
            if (!c)
                return {CaptureNameFault::none, 0};
            part = at + 1;
            continue;
        }
        if (c < 32 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*' ||
            (c == u':' && !(drive && at == 1)))
            return {CaptureNameFault::character, at};
        if (c == u':')
            part = at + 1;
    }
}

int expand_capture_name(const PathChar* pattern, const CaptureTime& time, int port,
                        PathChar* out, int out_size)
{
    if (!out || out_size <= 0)
        return 0;
    PathWriter path = {out, out_size, 0, pattern != nullptr};
    const char fields[] = "YmdHMS";
    const int32_t values[] = {time.year, time.month, time.day, time.hour, time.minute, time.second};
    for (const PathChar* at = pattern; path.fits && *at; ++at) {
        if (*at != u'%' || !at[1]) {
            path.put(*at);
            continue;
        }
        PathChar token = *++at;
        int field = 0;
        while (fields[field] && fields[field] != token)
            ++field;
        if (fields[field]) {
            path.put_number(values[field], field == 0 ? 4 : 2);
        } else if (token == u'p') {
            path.put_text(u"COM", 3);
            path.put_number(port, 1);
        } else if (token == u'%') {
            path.put(u'%');
        } else {
            // Not a token: the % stays and the character after it is taken
            // as plain text by the next turn.
            path.put(u'%');
            --at;
        }
    }
    return path.finish();
}

int next_capture_folder(const PathChar* path, int after)
{
    if (!path)
        return 0;
    for (int at = root_length(path); path[at]; ++at)
        if (at > after && at > 0 && is_separator(path[at]) && !is_separator(path[at - 1]))
            return at;
    return 0;
}

int numbered_capture_name(const PathChar* name, int number, PathChar* out, int out_size)
{
    if (!out || out_size <= 0)
        return 0;
    PathWriter path = {out, out_size, 0, name != nullptr && name[0] && number >= 1};
    int length = 0;
    int part = 0;   // where the last part of the path begins
    int dot = -1;   // the dot of its extension
    for (; path.fits && name[length]; ++length) {
        if (is_separator(name[length])) {
            part = length + 1;
            dot = -1;
        } else if (name[length] == u'.' && length > part) {
            dot = length;
        }
    }
    if (!path.fits)
        return path.finish();
    if (dot < 0)
        dot = length;
    path.put_text(name, dot);
    if (number > 1) {
        path.put(u'-');
        path.put_number(number, 1);
    }
    path.put_text(name + dot, length - dot);
    return path.finish();
}

void CaptureNames::clear()
{
    for (Name& name : names_)
        name.number = 0, name.used = 0;
    records_ = 0;
}

const CaptureNames::Name* CaptureNames::find(const PathChar* expanded) const
{
    for (const Name& name : names_)
        if (name.number && same_name(name.text, expanded))
            return &name;
    return nullptr;
}

int CaptureNames::number_for(const PathChar* expanded) const
{
    const Name* name = expanded ? find(expanded) : nullptr;
    return name ? name->number + 1 : 1;
}

void CaptureNames::record(const PathChar* expanded, int number)
{
    if (!expanded || number < 1)
        return;
    int length = 0;
    while (expanded[length])
        if (++length >= capture_path_room)
            return;
    Name* slot = const_cast<Name*>(find(expanded));
    if (!slot) {
        // The slot recorded longest ago; an unused one has never been.
        slot = &names_[0];
        for (Name& name : names_)
            if (name.used < slot->used)
                slot = &name;
        for (int i = 0; i <= length; ++i)
            slot->text[i] = expanded[i];
    }
    slot->number = number;
    slot->used = ++records_;
}
