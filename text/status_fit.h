#pragma once

// The most characters a status part's text has.
constexpr int status_fit_text_max = 340;

// The width of `length` characters of `text` in pixels, as the bar draws them.
typedef int (*TextWidth)(const wchar_t* text, int length, void* context);

// One part of a status bar: its whole text and how it may yield room, then
// what fitting gave it.
struct StatusPartFit {
    const wchar_t* text = L"";
    int margin = 0;         // the part's borders and spacing around its text
    bool progress = false;  // a progress bar beside the text takes a third of the part
    int yields = 0;         // 0: always whole; 1, 2, ...: shortened in that order
    int width = 0;
    wchar_t shown[status_fit_text_max + 1] = {};  // whole, or cut in the middle
};

// Gives `count` parts their widths within `room` pixels. When every text
// fits whole, the first part takes the room left over. Otherwise the parts
// that may yield are shortened in their order, each down to an ellipsis
// before the next one yields, with the ellipsis in the middle so that both
// ends of the text stay. Parts that never yield keep their whole text even
// when that leaves the bar too little room for the others.
void fit_status_parts(StatusPartFit* parts, int count, int room, TextWidth width, void* context);
