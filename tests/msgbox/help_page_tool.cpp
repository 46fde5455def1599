// A small program around the help page, for the tests that need a process of
// their own or a copy of the page outside Wine:
//   help_page_tool write PATH   writes the page to PATH (for the validator)
//   help_page_tool open         chooses "Program info" once, then exits
//   help_page_tool              exits without choosing it
// Exits with 0 on success; the program's exit clean-ups run as usual.
#include <windows.h>
#include <cstring>
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "msgbox/help_page_text.h"

int main(int argc, char** argv)
{
    program_instance = GetModuleHandleA(nullptr);
    if (argc == 3 && strcmp(argv[1], "write") == 0) {
        HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 2;
        DWORD length = lstrlenA(help_page_text), written = 0;
        BOOL wrote = WriteFile(file, help_page_text, length, &written, nullptr);
        CloseHandle(file);
        return wrote && written == length ? 0 : 3;
    }
    if (argc == 2 && strcmp(argv[1], "open") == 0)
        help_page.open_page();
    return 0;
}
