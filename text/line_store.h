#pragma once
#include <cstddef>
#include <cstdint>

// The received lines the window shows, oldest first. Each line's text is
// kept once, after a byte of the owner's (how the text is encoded), in one
// ring of bytes; a second ring holds where each line begins. Dropping the
// oldest lines moves two indices, whatever the number of lines, and a line
// costs its text plus five bytes (plus the rings' unused room: they double
// when full).
class LineStore {
public:
    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    ~LineStore();

    int count() const { return static_cast<int>(count_); }
    // How many lines were dropped or cleared since the store was made: line
    // `index` is line dropped() + index of all the store ever held, a number
    // that stays with the line while older lines go.
    uint64_t dropped() const { return dropped_; }
    // Adds a line after the newest. false when no memory could be had for it
    // (the store is then as it was).
    bool add(const char* text, int length, char kind);
    // Puts a new text in place of the newest line; adds one to an empty store.
    bool replace_newest(const char* text, int length, char kind);
    // Forgets the `lines` oldest lines (all of them when there are fewer).
    void drop_oldest(int lines);
    // Forgets every line and gives the memory back.
    void clear();

    // The length of line `index`'s text (0 for an index out of range).
    int length(int index) const;
    // The owner's byte given with line `index`, which must be in range.
    char kind(int index) const;
    // Copies at most `size` bytes of line `index`'s text to `out`; returns
    // how many it copied. No NUL is added.
    int copy(int index, char* out, int size) const;
    // The memory the store holds, in bytes.
    size_t bytes_held() const;

private:
    uint32_t start_of(uint32_t line) const { return starts_[line & (start_room_ - 1)]; }
    uint32_t end_of(uint32_t line) const;
    bool make_room(uint32_t text_bytes);
    void write_text(uint32_t at, const char* text, uint32_t length);
    void read_text(uint32_t at, char* out, uint32_t length) const;

    char* text_ = nullptr;      // text_room_ bytes, a power of two
    uint32_t text_room_ = 0;
    uint32_t text_head_ = 0;    // where the oldest line's bytes begin
    uint32_t text_tail_ = 0;    // where the next line's bytes go
    uint32_t* starts_ = nullptr;  // start_room_ entries, a power of two
    uint32_t start_room_ = 0;
    uint32_t first_ = 0;        // the oldest line's number
    uint32_t count_ = 0;
    uint64_t dropped_ = 0;
};
