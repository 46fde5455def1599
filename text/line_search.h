#pragma once
#include <cstdint>

class LineStore;

// Finding a text in the received lines, and keeping the list of the lines
// that contain one. Lines are searched as the list shows them: the visible
// text, colour markers skipped (see ansi_text.h).

// Whether the visible text of a stored line contains `needle`. Without
// `match_case`, ASCII letters match in either case; every other byte, those
// of UTF-8 letters beyond ASCII included, matches only itself. An empty
// needle is in every line.
bool contains(const char* text, int length, const char* needle, int needle_length, bool match_case);

// A stored line's text copied out of the store, in a buffer that grows to
// the longest line seen and is kept for the next one.
class LineCopy {
public:
    LineCopy() = default;
    LineCopy(const LineCopy&) = delete;
    LineCopy& operator=(const LineCopy&) = delete;
    ~LineCopy();
    // Line `index`'s text; its length goes to `length`. With no memory for a
    // longer buffer, the line is cut to the buffer it has.
    const char* get(const LineStore& store, int index, int& length);

private:
    char* text_ = nullptr;
    int room_ = 0;
};

constexpr int line_not_found = -1;
constexpr int line_search_going_on = -2;

// Looks for a text line by line, a bounded number of lines at a time, so
// that a million lines never hold the window long:
//   finder.begin(store, selected + 1, true);
//   each step: int found = finder.step(store, text, length, match_case, 50000);
//   until found is a line's index or line_not_found.
// The search wraps past the newest line to the oldest (or, going up, past
// the oldest to the newest) and gives up once it has looked at as many lines
// as the store held at begin(). Lines dropped between steps are skipped.
class LineFinder {
public:
    // The first line looked at is `from`; one out of range starts at the
    // oldest line going down, at the newest going up.
    void begin(const LineStore& store, int from, bool down);
    // Looks at up to `most_lines` lines: returns the index of the first that
    // contains the text, line_search_going_on when it has looked at
    // `most_lines` without finding it, or line_not_found when it has looked
    // at every line.
    int step(const LineStore& store, const char* needle, int needle_length, bool match_case,
             int most_lines);

private:
    uint64_t next_ = 0;  // the number (see LineStore::dropped) of the line to look at
    uint64_t left_ = 0;  // lines still to look at
    bool down_ = true;
    LineCopy line_;
};

// The store indices of the lines that contain a text (ASCII letters in
// either case), oldest first, kept up to date as lines come and go: the
// window tells it of each change to the store right after making it. A new
// text is looked for in steps (rebuild), and lines that come meanwhile are
// looked at by the step that reaches them. Lines are kept by their number,
// so dropping old lines costs only the entries that go.
class LineFilter {
public:
    LineFilter() = default;
    LineFilter(const LineFilter&) = delete;
    LineFilter& operator=(const LineFilter&) = delete;
    ~LineFilter();

    // Looks for `text` from now on (an empty text keeps every line), with an
    // empty list until rebuild() has gone through the store. false when no
    // memory could be had for the text (the filter then keeps every line).
    bool set_text(const LineStore& store, const char* text, int length);
    // Looks at up to `most_lines` lines not yet looked at; true once every
    // line has been.
    bool rebuild(const LineStore& store, int most_lines);
    bool rebuilt(const LineStore& store) const;

    // After store.add().
    void line_added(const LineStore& store);
    // After store.replace_newest(): the line may start or stop matching.
    void newest_replaced(const LineStore& store);
    // After store.drop_oldest() or store.clear().
    void lines_dropped(const LineStore& store);

    // The lines kept so far.
    int count() const { return static_cast<int>(end_ - begin_); }
    // The store index of kept line `shown` (0 to count() - 1).
    int store_index(int shown) const;
    // Where store line `index` is, or would be, among the kept lines: the
    // number of kept lines older than it.
    int shown_index(int index) const;

private:
    void look_at(const LineStore& store, uint64_t number);
    void keep(uint32_t number);

    char* text_ = nullptr;
    int text_length_ = 0;
    uint32_t* kept_ = nullptr;  // line numbers, modulo 2^32, of kept_[begin_] to kept_[end_ - 1]
    int begin_ = 0;
    int end_ = 0;
    int room_ = 0;
    uint64_t first_ = 0;    // the number of the store's oldest line
    uint64_t scanned_ = 0;  // lines before this number have been looked at
    LineCopy line_;
};
