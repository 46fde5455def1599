#include "msgbox/text_lines.h"

int take_line(const char*& cursor, TextLine& line)
{
    if (!cursor || *cursor == '\0')
        return 0;
    const char* end = cursor;
    while (*end && *end != '\n')
        ++end;
    line.start = cursor;
    line.length = static_cast<int>(end - cursor);
    cursor = *end ? end + 1 : end;
    return 1;
}
