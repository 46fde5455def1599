#include "text/status_fit.h"

namespace {

const wchar_t ellipsis = L'\x2026';

int text_length(const wchar_t* text)
{
    int length = 0;
    while (text[length] && length < status_fit_text_max)
        ++length;
    return length;
}

// The part's text without all but `keep` of its characters: the first half
// of them, an ellipsis, then the rest from the end.
void cut_middle(const wchar_t* text, int length, int keep, wchar_t* out)
{
    int head = keep - keep / 2;
    int at = 0;
    for (int i = 0; i < head; ++i)
        out[at++] = text[i];
    out[at++] = ellipsis;
    for (int i = length - keep / 2; i < length; ++i)
        out[at++] = text[i];
    out[at] = L'\0';
}

int part_width(const StatusPartFit& part, const wchar_t* text, TextWidth width, void* context)
{
    int length = text_length(text);
    int needed = (length ? width(text, length, context) : 0) + part.margin;
    return part.progress ? needed + needed / 2 : needed;
}

// Shortens the part's text until the part is no wider than `target`, or
// down to the ellipsis alone; returns the width given up.
int shorten(StatusPartFit& part, int target, TextWidth width, void* context)
{
    int length = text_length(part.text);
    int before = part.width;
    if (length == 0 || before <= target)
        return 0;
    // The most characters kept that fit: a wider text never takes fewer.
    int low = 0, high = length - 1;
    wchar_t trial[status_fit_text_max + 2];
    while (low < high) {
        int keep = (low + high + 1) / 2;
        cut_middle(part.text, length, keep, trial);
        if (part_width(part, trial, width, context) <= target)
            low = keep;
        else
            high = keep - 1;
    }
    cut_middle(part.text, length, low, trial);
    int at = 0;
    for (; trial[at] && at < status_fit_text_max; ++at)
        part.shown[at] = trial[at];
    part.shown[at] = L'\0';
    part.width = part_width(part, part.shown, width, context);
    return before - part.width;
}

}  // namespace

void fit_status_parts(StatusPartFit* parts, int count, int room, TextWidth width, void* context)
{
    int total = 0;
    int last_turn = 0;
    for (int i = 0; i < count; ++i) {
        StatusPartFit& part = parts[i];
        int length = text_length(part.text);
        for (int at = 0; at <= length; ++at)
            part.shown[at] = at < length ? part.text[at] : L'\0';
        part.width = part_width(part, part.text, width, context);
        total += part.width;
        if (part.yields > last_turn)
            last_turn = part.yields;
    }
    if (count > 0 && total <= room) {
        parts[0].width += room - total;
        return;
    }
    int excess = total - room;
    for (int turn = 1; turn <= last_turn && excess > 0; ++turn)
        for (int i = 0; i < count && excess > 0; ++i)
            if (parts[i].yields == turn)
                excess -= shorten(parts[i], parts[i].width - excess, width, context);
}
