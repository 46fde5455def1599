#include "text/line_store.h"
#include <cstdlib>
#include <cstring>

namespace {

// The largest rings: positions count modulo 2^32, so a room must divide it,
// and a 32-bit program has no more address space to give.
constexpr uint32_t most_text_room = 1u << 30;
constexpr uint32_t most_start_room = 1u << 26;

// Copies `count` entries that begin at position `at` from one ring to
// another of a different size.
template <typename T>
void move_ring(const T* from, uint32_t from_room, T* to, uint32_t to_room, uint32_t at,
               uint32_t count)
{
    while (count) {
        uint32_t a = at & (from_room - 1), b = at & (to_room - 1);
        uint32_t piece = count;
        if (piece > from_room - a)
            piece = from_room - a;
        if (piece > to_room - b)
            piece = to_room - b;
        memcpy(to + b, from + a, piece * sizeof(T));
        at += piece;
        count -= piece;
    }
}

// A ring of at least `needed` entries, twice `room` when that is enough;
// 0 when it would pass `most`.
uint32_t grown_room(uint32_t room, uint32_t needed, uint32_t first, uint32_t most)
{
    uint32_t grown = room ? room : first;
    while (grown < needed && grown <= most / 2)
        grown *= 2;
    return grown >= needed && grown <= most ? grown : 0;
}

// Replaces `ring` by one of `grown` entries holding the same `count` entries
// from position `at`; false, leaving it, when there is no memory.
template <typename T>
bool grow_ring(T*& ring, uint32_t& room, uint32_t grown, uint32_t at, uint32_t count)
{
    T* bigger = static_cast<T*>(malloc(static_cast<size_t>(grown) * sizeof(T)));
    if (!bigger)
        return false;
    if (ring)
        move_ring(ring, room, bigger, grown, at, count);
    free(ring);
    ring = bigger;
    room = grown;
    return true;
}

}  // namespace

LineStore::~LineStore()
{
    clear();
}

uint32_t LineStore::end_of(uint32_t line) const
{
    return line + 1 == first_ + count_ ? text_tail_ : start_of(line + 1);
}

bool LineStore::make_room(uint32_t text_bytes)
{
    uint32_t used = text_tail_ - text_head_;
    if (text_bytes > most_text_room - used)
        return false;
    if (used + text_bytes > text_room_) {
        uint32_t grown = grown_room(text_room_, used + text_bytes, 4096, most_text_room);
        if (!grown || !grow_ring(text_, text_room_, grown, text_head_, used))
            return false;
    }
    if (count_ + 1 > start_room_) {
        uint32_t grown = grown_room(start_room_, count_ + 1, 256, most_start_room);
        if (!grown || !grow_ring(starts_, start_room_, grown, first_, count_))
            return false;
    }
    return true;
}

// Writes `length` bytes at position `at` of the text ring.
void LineStore::write_text(uint32_t at, const char* text, uint32_t length)
{
    while (length) {
        uint32_t b = at & (text_room_ - 1);
        uint32_t piece = length < text_room_ - b ? length : text_room_ - b;
        memcpy(text_ + b, text, piece);
        text += piece;
        at += piece;
        length -= piece;
    }
}

void LineStore::read_text(uint32_t at, char* out, uint32_t length) const
{
    while (length) {
        uint32_t a = at & (text_room_ - 1);
        uint32_t piece = length < text_room_ - a ? length : text_room_ - a;
        memcpy(out, text_ + a, piece);
        out += piece;
        at += piece;
        length -= piece;
    }
}

bool LineStore::add(const char* text, int length, char kind)
{
    uint32_t bytes = length > 0 ? static_cast<uint32_t>(length) : 0;
    if (bytes >= most_text_room || !make_room(bytes + 1))
        return false;
    starts_[(first_ + count_) & (start_room_ - 1)] = text_tail_;
    ++count_;
    write_text(text_tail_, &kind, 1);
    write_text(text_tail_ + 1, text, bytes);
    text_tail_ += bytes + 1;
    return true;
}

// The newest line's bytes are given up first, so its new text reuses their
// room. A failed add has then changed nothing: the line ring already held
// this line, and a text ring that can't grow is left as it was.
bool LineStore::replace_newest(const char* text, int length, char kind)
{
    if (count_ == 0)
        return add(text, length, kind);
    uint32_t tail = text_tail_;
    text_tail_ = start_of(first_ + count_ - 1);
    --count_;
    if (add(text, length, kind))
        return true;
    ++count_;
    text_tail_ = tail;
    return false;
}

void LineStore::drop_oldest(int lines)
{
    if (lines <= 0)
        return;
    if (static_cast<uint32_t>(lines) >= count_) {
        first_ += count_;
        count_ = 0;
        text_head_ = text_tail_;
        return;
    }
    first_ += static_cast<uint32_t>(lines);
    count_ -= static_cast<uint32_t>(lines);
    text_head_ = start_of(first_);
}

void LineStore::clear()
{
    free(text_);
    free(starts_);
    text_ = nullptr;
    starts_ = nullptr;
    text_room_ = start_room_ = 0;
    text_head_ = text_tail_ = first_ = count_ = 0;
}

int LineStore::length(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= count_)
        return 0;
    uint32_t line = first_ + static_cast<uint32_t>(index);
    return static_cast<int>(end_of(line) - start_of(line) - 1);
}

char LineStore::kind(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= count_)
        return 0;
    return text_[start_of(first_ + static_cast<uint32_t>(index)) & (text_room_ - 1)];
}

int LineStore::copy(int index, char* out, int size) const
{
    int length = this->length(index);
    if (length > size)
        length = size;
    if (length <= 0)
        return 0;
    read_text(start_of(first_ + static_cast<uint32_t>(index)) + 1, out,
              static_cast<uint32_t>(length));
    return length;
}

size_t LineStore::bytes_held() const
{
    return sizeof *this + text_room_ + static_cast<size_t>(start_room_) * sizeof *starts_;
}
