// The program's entry: it runs the main window and turns its end into the
// process exit code.
#include <gtest/gtest.h>
#include <string>
#include "app/exit_cleanups.h"
#include "app/program_entry.h"
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "resources/resource_ids.h"
#include "tests/support/test_support.h"

namespace {

bool cancel_posted = false;

// Ends the main window the way Escape does, once it is up.
void CALLBACK post_cancel(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (!main_dialog.hwnd || !IsWindow(main_dialog.hwnd))
        return;
    KillTimer(nullptr, timer);
    main_dialog.settings_changed = 0;  // a test never writes the settings file
    PostMessageA(main_dialog.hwnd, WM_COMMAND, IDCANCEL, 0);
    cancel_posted = true;
}

TEST(ProgramEntry, RunsTheMainWindowAndReturnsZeroAfterANormalEnd)
{
    main_dialog.hwnd = nullptr;
    main_dialog.first_tick_done = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, post_cancel);
    int exit_code = run_program(program_instance, IDD_MAIN);
    KillTimer(nullptr, timer);
    serial_channel.close();
    EXPECT_TRUE(cancel_posted) << "the main window never came up";
    EXPECT_EQ(0, exit_code);
}

TEST(ProgramEntry, MissingTemplateGivesANonzeroExitCode)
{
    EXPECT_NE(0, run_program(program_instance, 4242));
}

}  // namespace

namespace {

TEST(ProgramObjects, CleanUpsAreRegisteredInConstructionOrder)
{
    // They run in the reverse order: the INI writer's block is freed before
    // the reader's, the help file is removed and the port closed while the
    // message box font still exists. The only check of this order.
    EXPECT_STREQ("message box font,serial channel,help file,INI reader,INI writer",
                 exit_cleanup_names());
}

TEST(ProgramProcess, TheRealProgramClosedByItsCloseBoxExitsWithZero)
{
    // Quorvex.exe sits at the top of the build tree, two folders up.
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_TRUE(length > 0 && length < sizeof path);
    std::string exe(path);
    for (int i = 0; i < 3; ++i)
        exe.erase(exe.find_last_of('\\'));
    exe += "\\Quorvex.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(exe.c_str())) << exe;

    HANDLE process = nullptr;
    DWORD process_id = 0;
    ASSERT_TRUE(start_process("\"" + exe + "\"", &process, &process_id)) << exe;
    HWND window = wait_for_window(WindowQuery{"#32770", "Quorvex", nullptr, process_id}, 10000);
    if (window)
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    int exit_code = finish_process(process, 10000);
    ASSERT_NE(nullptr, window) << "the main window never appeared";
    EXPECT_EQ(0, exit_code) << "-1: it did not end within ten seconds";
}

}  // namespace
