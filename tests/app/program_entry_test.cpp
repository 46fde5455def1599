// The program's entry: it runs the main window and turns its end into the
// process exit code.
#include <gtest/gtest.h>
#include "app/program_entry.h"
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "resources/resource_ids.h"

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
