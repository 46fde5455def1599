// The settings folder's path holds characters of any language: each folder
// is asked for by its whole UTF-16 name, whatever the system's code page.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "settings/settings_folder.h"
#include "tests/settings/directory_recorder.h"
#include "tests/support/test_support.h"
#include "tests/support/text_helpers.h"

namespace {

TEST(DoubleBytePath, EachFolderIsCreatedWithItsWholeName)
{
    ASSERT_EQ(932u, GetACP()) << "this test runs with LC_ALL=ja_JP.UTF-8";
    // U+30BD and U+8868 are written with the byte 0x5C, the backslash's code,
    // in code page 932; U+03A9 and U+0436 are not in that code page at all.
    struct Case { const wchar_t* path; const wchar_t* folders; } cases[] = {
        {L"C:\\\u30bd\\", L"<C:\\\u30bd>"},
        {L"C:\\\u8868\\\u30bd", L"<C:\\\u8868><C:\\\u8868\\\u30bd>"},
        {L"C:\\a\u03a9b\\\u0436\\", L"<C:\\a\u03a9b><C:\\a\u03a9b\\\u0436>"},
        {L"\\\\server\\\u30bd\\d\\", L"<\\\\server\\\u30bd\\d>"},
    };
    // The folders are recorded, not made: Wine can only make such names on
    // disk when the host has the Japanese locale installed.
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        DirectoryRecorder::reset();
        EXPECT_EQ(1, create_directory_path(cases[i].path, DirectoryRecorder::create))
            << "case " << i;
        EXPECT_EQ(narrow(cases[i].folders), joined(DirectoryRecorder::created)) << "case " << i;
    }
}

}  // namespace
