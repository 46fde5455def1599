#include "framework/program_instance.h"

HINSTANCE program_instance = nullptr;
