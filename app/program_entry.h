#pragma once
#include <windows.h>

// Runs the program: initialises the common controls, registers the custom
// control classes and runs the main dialog from template `dialog_id`.
// Returns the process exit code: 0 after a normal run, 1 when the main
// dialog could not be created; after a script named on the command line,
// 0 when it passed, 1 when it failed, 2 when it was refused or the port
// could not be opened.
int run_program(HINSTANCE instance, int dialog_id);
