#pragma once

// One line of a message text: the characters up to the next '\n' or the end.
struct TextLine {
    const char* start;
    int length;
};

// Takes the line that begins at `cursor` and moves `cursor` past it and past
// one '\n' after it. Returns 0 when `cursor` is at the terminator, so "a\nb"
// and "a\nb\n" both give two lines, "a\n\nb" gives an empty line between
// them, and "" gives none. Measuring and painting split text the same way.
int take_line(const char*& cursor, TextLine& line);
