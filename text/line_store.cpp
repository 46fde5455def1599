#include "text/line_store.h"
#include <cstdlib>
#include <cstring>

namespace {

// The largest rings: positions count modulo 2^32, so a room must divide it,
// and a 32-bit program has no more address space to give.
constexpr uint32_t most_text_room = 1u << 30;
constexpr uint32_t most_start_room = 1u << 26;

// Copies `count` bytes between two rings, each with its position and its
// room less one (a plain buffer: position 0 and all bits set).
void copy_ring(char* to, uint32_t to_at, uint32_t to_mask, const char* from, uint32_t from_at,
               uint32_t from_mask, uint32_t count)
{
    while (count) {
        uint32_t a = from_at & from_mask, b = to_at & to_mask;
        // Compared less one, as a plain buffer's room does not fit 32 bits.
        uint32_t piece = count;
        if (piece - 1 > from_mask - a)
            piece = from_mask - a + 1;
        if (piece - 1 > to_mask - b)
            piece = to_mask - b + 1;
        memcpy(to + b, from + a, piece);
        from_at += piece;
        to_at += piece;
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

// A ring of `grown` bytes holding the `count` bytes of `ring` (of `room`
// bytes) from position `at`; null when there is no memory.
char* grown_ring(const char* ring, uint32_t room, uint32_t grown, uint32_t at, uint32_t count)
{
    char* bigger = static_cast<char*>(malloc(grown));
    if (bigger && ring)
        copy_ring(bigger, at, grown - 1, ring, at, room - 1, count);
    return bigger;
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
        char* bigger = grown ? grown_ring(text_, text_room_, grown, text_head_, used) : nullptr;
        if (!bigger)
            return false;
        free(text_);
        text_ = bigger;
        text_room_ = grown;
    }
    if (count_ + 1 > start_room_) {
        // Copied as bytes: four to an entry, positions and rooms alike.
        uint32_t grown = grown_room(start_room_, count_ + 1, 256, most_start_room);
        char* bigger = grown ? grown_ring(reinterpret_cast<char*>(starts_), start_room_ * 4,
                                          grown * 4, first_ * 4, count_ * 4)
                             : nullptr;
        if (!bigger)
            return false;
        free(starts_);
        starts_ = reinterpret_cast<uint32_t*>(bigger);
        start_room_ = grown;
    }
    return true;
}

void LineStore::write_text(uint32_t at, const char* text, uint32_t length)
{
    copy_ring(text_, at, text_room_ - 1, text, 0, ~0u, length);
}

void LineStore::read_text(uint32_t at, char* out, uint32_t length) const
{
    copy_ring(out, 0, ~0u, text_, at, text_room_ - 1, length);
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
        dropped_ += count_;
        first_ += count_;
        count_ = 0;
        text_head_ = text_tail_;
        return;
    }
    dropped_ += static_cast<uint32_t>(lines);
    first_ += static_cast<uint32_t>(lines);
    count_ -= static_cast<uint32_t>(lines);
    text_head_ = start_of(first_);
}

void LineStore::clear()
{
    dropped_ += count_;
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
