#include "text/line_search.h"
#include <cstdlib>
#include <cstring>
#include "text/ansi_text.h"
#include "text/line_store.h"

namespace {

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether plain text (no colour markers) contains the needle (not empty).
// Most places fail on their first byte, so that is tried alone first.
bool plain_contains(const char* text, int length, const char* needle, int needle_length,
                    bool match_case)
{
    char first = match_case ? needle[0] : folded(needle[0]);
    char other = first >= 'a' && first <= 'z' && !match_case ? static_cast<char>(first - 'a' + 'A') : first;
    for (int at = 0; at + needle_length <= length; ++at) {
        if (text[at] != first && text[at] != other)
            continue;
        int k = 1;
        if (match_case)
            while (k < needle_length && text[at + k] == needle[k])
                ++k;
        else
            while (k < needle_length && folded(text[at + k]) == folded(needle[k]))
                ++k;
        if (k == needle_length)
            return true;
    }
    return false;
}

}  // namespace

// A line with colours is searched as its visible text, copied aside: on the
// stack for a line of the view's length, in memory of its own for a longer
// one (not found when there is none).
bool contains(const char* text, int length, const char* needle, int needle_length, bool match_case)
{
    if (needle_length <= 0)
        return true;
    if (length <= 0)
        return false;
    if (!memchr(text, 0x1b, static_cast<size_t>(length)))
        return plain_contains(text, length, needle, needle_length, match_case);
    char nearby[4096];
    char* visible = length <= static_cast<int>(sizeof nearby) ? nearby
                                                             : static_cast<char*>(malloc(static_cast<size_t>(length)));
    if (!visible)
        return false;
    bool found = plain_contains(visible, strip_colour_codes(text, length, visible), needle,
                                needle_length, match_case);
    if (visible != nearby)
        free(visible);
    return found;
}

LineCopy::~LineCopy()
{
    free(text_);
}

const char* LineCopy::get(const LineStore& store, int index, int& length)
{
    length = store.length(index);
    if (length > room_) {
        int room = room_ ? room_ : 256;
        while (room < length && room <= 0x3fffffff)
            room *= 2;
        char* bigger = static_cast<char*>(realloc(text_, static_cast<size_t>(room)));
        if (bigger) {
            text_ = bigger;
            room_ = room;
        }
    }
    length = store.copy(index, text_, room_);
    return text_;
}

void LineFinder::begin(const LineStore& store, int from, bool down)
{
    int count = store.count();
    if (from < 0 || from >= count)
        from = down ? 0 : count - 1;
    next_ = store.dropped() + static_cast<uint64_t>(from > 0 ? from : 0);
    left_ = static_cast<uint64_t>(count);
    down_ = down;
}

int LineFinder::step(const LineStore& store, const char* needle, int needle_length, bool match_case,
                     int most_lines)
{
    uint64_t first = store.dropped();
    uint64_t end = first + static_cast<uint64_t>(store.count());
    for (; left_ > 0 && first < end; --left_) {
        if (most_lines-- <= 0)
            return line_search_going_on;
        // Wraps, and skips lines dropped since the last step.
        if (next_ < first)
            next_ = down_ ? first : end - 1;
        else if (next_ >= end)
            next_ = down_ ? first : end - 1;
        int index = static_cast<int>(next_ - first);
        next_ = down_ ? next_ + 1 : next_ - 1;
        int length;
        const char* text = line_.get(store, index, length);
        if (contains(text, length, needle, needle_length, match_case)) {
            left_ = 0;
            return index;
        }
    }
    return line_not_found;
}

LineFilter::~LineFilter()
{
    free(text_);
    free(kept_);
}

bool LineFilter::set_text(const LineStore& store, const char* text, int length)
{
    free(text_);
    text_ = nullptr;
    text_length_ = 0;
    begin_ = end_ = 0;
    first_ = scanned_ = store.dropped();
    if (length <= 0)
        return true;
    text_ = static_cast<char*>(malloc(static_cast<size_t>(length)));
    if (!text_)
        return false;
    memcpy(text_, text, static_cast<size_t>(length));
    text_length_ = length;
    return true;
}

bool LineFilter::rebuilt(const LineStore& store) const
{
    return scanned_ >= store.dropped() + static_cast<uint64_t>(store.count());
}

bool LineFilter::rebuild(const LineStore& store, int most_lines)
{
    lines_dropped(store);
    uint64_t end = first_ + static_cast<uint64_t>(store.count());
    for (; scanned_ < end && most_lines > 0; --most_lines)
        look_at(store, scanned_++);
    return scanned_ >= end;
}

void LineFilter::look_at(const LineStore& store, uint64_t number)
{
    int length;
    const char* text = line_.get(store, static_cast<int>(number - first_), length);
    if (contains(text, length, text_, text_length_, false))
        keep(static_cast<uint32_t>(number));
}

// The list moves down to the front of its room only once half of the room
// is free there, so each entry is moved a bounded number of times on average.
// With no memory to grow, the line is left out.
void LineFilter::keep(uint32_t number)
{
    if (end_ == room_) {
        if (begin_ >= room_ / 2 && begin_ > 0) {
            memmove(kept_, kept_ + begin_, static_cast<size_t>(end_ - begin_) * sizeof *kept_);
            end_ -= begin_;
            begin_ = 0;
        } else {
            int room = room_ ? room_ * 2 : 1024;
            auto* bigger = static_cast<uint32_t*>(realloc(kept_, static_cast<size_t>(room) * sizeof *kept_));
            if (!bigger)
                return;
            kept_ = bigger;
            room_ = room;
        }
    }
    kept_[end_++] = number;
}

void LineFilter::line_added(const LineStore& store)
{
    lines_dropped(store);
    uint64_t newest = first_ + static_cast<uint64_t>(store.count()) - 1;
    // While a rebuild is going on, its steps will come to the new line.
    if (store.count() > 0 && scanned_ == newest)
        look_at(store, scanned_++);
}

void LineFilter::newest_replaced(const LineStore& store)
{
    lines_dropped(store);
    if (store.count() <= 0)
        return;
    uint64_t newest = first_ + static_cast<uint64_t>(store.count()) - 1;
    if (newest >= scanned_) {
        line_added(store);  // replacing in an empty store adds a line
        return;
    }
    if (end_ > begin_ && kept_[end_ - 1] == static_cast<uint32_t>(newest))
        --end_;
    look_at(store, newest);
}

void LineFilter::lines_dropped(const LineStore& store)
{
    uint64_t first = store.dropped();
    // Kept numbers lie within the store's lines, far fewer than 2^31, so
    // their difference from the oldest line's number tells which went.
    while (begin_ < end_ && static_cast<int32_t>(kept_[begin_] - static_cast<uint32_t>(first)) < 0)
        ++begin_;
    if (begin_ == end_)
        begin_ = end_ = 0;
    first_ = first;
    if (scanned_ < first)
        scanned_ = first;
}

int LineFilter::store_index(int shown) const
{
    if (shown < 0 || shown >= count())
        return -1;
    return static_cast<int>(kept_[begin_ + shown] - static_cast<uint32_t>(first_));
}

int LineFilter::shown_index(int index) const
{
    int low = 0, high = count();
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (store_index(middle) < index)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}
