// The settings folder's path on a Japanese system (code page 932), where the
// second byte of many characters is 0x5C, the code of the backslash.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "settings/settings_folder.h"
#include "tests/settings/directory_recorder.h"
#include "tests/support/text_helpers.h"

namespace {

TEST(DoubleBytePath, EachFolderIsCreatedWithItsWholeName)
{
    ASSERT_EQ(932u, GetACP()) << "this test runs with LC_ALL=ja_JP.UTF-8";
    // "\x83\x5C" and "\x95\x5C" are two such characters.
    struct Case { const char* path; const char* folders; } cases[] = {
        {"C:\\\x83\x5C\\", "<C:\\\x83\x5C>"},
        {"C:\\\x95\x5C\\\x83\x5C", "<C:\\\x95\x5C><C:\\\x95\x5C\\\x83\x5C>"},
        {"C:\\a\x83\x5C" "b\\c\\", "<C:\\a\x83\x5C" "b><C:\\a\x83\x5C" "b\\c>"},
        {"\\\\server\\\x83\x5C\\d\\", "<\\\\server\\\x83\x5C\\d>"},
    };
    // The folders are recorded, not made: Wine can only make such names on
    // disk when the host has the Japanese locale installed.
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        DirectoryRecorder::reset();
        EXPECT_EQ(1, create_directory_path(cases[i].path, DirectoryRecorder::create))
            << "case " << i;
        EXPECT_EQ(cases[i].folders, joined(DirectoryRecorder::created)) << "case " << i;
    }
}

}  // namespace
