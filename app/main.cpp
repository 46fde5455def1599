#include "app/program_entry.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return run_program(instance, IDD_MAIN);
}
