#pragma once
#include <windows.h>

// Runs the program: initialises the common controls, registers the custom
// control classes and runs the main dialog from template `dialog_id`.
// Returns the process exit code: 0 after a normal run, nonzero when the main
// dialog could not be created.
int run_program(HINSTANCE instance, int dialog_id);
