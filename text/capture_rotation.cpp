#include "text/capture_rotation.h"

void CaptureRotation::start(const CaptureTime& now)
{
    written = 0;
    started_year = now.year;
    started_month = now.month;
    started_day = now.day;
}

int CaptureRotation::room(const char* bytes, int count, const CaptureTime& now) const
{
    if (count <= 0)
        return 0;
    // The new day's bytes belong in the new day's file.
    if (day_over(now))
        return 0;
    if (!size_limit)
        return count;
    uint64_t space = written < size_limit ? size_limit - written : 0;
    if (!whole_lines)
        return space < static_cast<uint64_t>(count) ? static_cast<int>(space) : count;
    // The whole lines that fit; the first line alone when the file is empty.
    int take = 0;
    for (int at = 0; at < count; ++at) {
        if (bytes[at] != '\n' && at + 1 < count)
            continue;
        if (static_cast<uint64_t>(at + 1) > space)
            return take == 0 && written == 0 ? at + 1 : take;
        take = at + 1;
    }
    return take;
}

bool CaptureRotation::day_over(const CaptureTime& now) const
{
    return daily &&
           (now.day != started_day || now.month != started_month || now.year != started_year);
}
