#pragma once
#include <windows.h>

// The module instance handle of the program. Null until the entry point
// stores the handle it is given; every resource load and class registration
// after that uses it.
extern HINSTANCE program_instance;
