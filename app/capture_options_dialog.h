#pragma once
#include <windows.h>
#include "settings/capture_settings.h"

// Capture options: the size limit in KB or MB, a new file each day,
// appending, the lines as shown, and whether the capture named `pattern` (the
// one running or last started, else the one kept) starts with the program;
// the box is greyed when there is none. A limit that is not a whole number in
// range is refused: OK beeps, states the range below it, selects it and
// leaves the dialog open. 1 when OK changed `capture`.
int run_capture_options_dialog(HWND owner, CaptureSettings& capture, const wchar_t* pattern);
