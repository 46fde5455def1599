// Finding and creating the settings folder.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <vector>
#include "ini_file_fixture.h"
#include "settings/settings_folder.h"
#include "tests/settings/directory_recorder.h"
#include "tests/support/text_helpers.h"

namespace {

TEST(CreateDirectoryPath, CreatesEachComponentAfterTheRootInTurn)
{
    struct Case {
        const char* path;
        const char* failing;
        DWORD failure;
        bool all_exist;
        int32_t result;
        const char* created;
    } cases[] = {
        // A network path: never the server or the share.
        {"\\\\server\\share\\a\\b\\", "", 0, false, 1,
         "<\\\\server\\share\\a><\\\\server\\share\\a\\b>"},
        {"\\\\server\\share\\a\\b", "", 0, false, 1,
         "<\\\\server\\share\\a><\\\\server\\share\\a\\b>"},
        {"\\\\server\\share\\", "", 0, false, 1, ""},
        {"\\\\server\\share", "", 0, false, 1, ""},
        {"\\\\server\\share\\a\\b\\", "\\\\server\\share\\a", ERROR_BAD_NETPATH, false, 0,
         "<\\\\server\\share\\a>"},
        {"C:\\Users\\me\\AppData\\Roaming\\BrantholmFreeware\\Quorvex\\", "", 0, false, 1,
         "<C:\\Users><C:\\Users\\me><C:\\Users\\me\\AppData><C:\\Users\\me\\AppData\\Roaming>"
         "<C:\\Users\\me\\AppData\\Roaming\\BrantholmFreeware>"
         "<C:\\Users\\me\\AppData\\Roaming\\BrantholmFreeware\\Quorvex>"},
        // Folders that exist already are passed over.
        {"C:\\a\\b\\", "", 0, true, 1, "<C:\\a><C:\\a\\b>"},
        {"C:\\a\\b\\c\\", "C:\\a\\b", ERROR_ACCESS_DENIED, false, 0, "<C:\\a><C:\\a\\b>"},
        {"C:\\a\\b\\c\\", "C:\\a\\b", ERROR_PATH_NOT_FOUND, false, 0, "<C:\\a><C:\\a\\b>"},
        // Without an application-data folder: the root of the current drive.
        {"\\BrantholmFreeware\\Quorvex\\", "", 0, false, 1,
         "<\\BrantholmFreeware><\\BrantholmFreeware\\Quorvex>"},
        {"C:\\a\\\\b\\", "", 0, false, 1, "<C:\\a><C:\\a\\\\b>"},
        {"C:\\", "", 0, false, 1, ""},
        {"", "", 0, false, 0, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        DirectoryRecorder::reset();
        DirectoryRecorder::failing_path = c.failing;
        DirectoryRecorder::failure = c.failure;
        DirectoryRecorder::all_exist = c.all_exist;
        EXPECT_EQ(c.result, create_directory_path(wide(c.path).c_str(), DirectoryRecorder::create))
            << "case " << i << ": " << c.path;
        EXPECT_EQ(c.created, joined(DirectoryRecorder::created)) << "case " << i << ": " << c.path;
    }
}

TEST(CreateDirectoryPath, APathTooLongForItsBufferIsRefusedWhole)
{
    DirectoryRecorder::reset();
    std::string long_path = "C:\\" + std::string(MAX_PATH, 'a') + "\\";
    EXPECT_EQ(0, create_directory_path(wide(long_path).c_str(), DirectoryRecorder::create));
    std::string just_too_long = "C:\\" + std::string(MAX_PATH - 3, 'b');
    EXPECT_EQ(0, create_directory_path(wide(just_too_long).c_str(), DirectoryRecorder::create));
    EXPECT_EQ("", joined(DirectoryRecorder::created));
    std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'c');
    EXPECT_EQ(1, create_directory_path(wide(longest).c_str(), DirectoryRecorder::create));
    EXPECT_EQ("<" + longest + ">", joined(DirectoryRecorder::created));
}

class FolderTest : public IniFileTest {};

TEST_F(FolderTest, MissingFoldersAreCreatedAndExistingOnesPassedOver)
{
    std::string deep = folder + "BrantholmFreeware\\Quorvex\\";
    EXPECT_EQ(0, directory_exists(wide(deep).c_str()));
    EXPECT_EQ(1, create_directory_path(wide(deep).c_str()));
    EXPECT_NE(0, directory_exists(wide(deep).c_str()));

    // The parents exist: only the last folder is new.
    DirectoryRecorder::reset();
    DirectoryRecorder::forward = true;
    std::string sibling = folder + "BrantholmFreeware\\Other\\";
    EXPECT_EQ(1, create_directory_path(wide(sibling).c_str(), DirectoryRecorder::create));
    EXPECT_NE(0, directory_exists(wide(sibling).c_str()));
    std::vector<std::string>& calls = DirectoryRecorder::created;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(folder + "BrantholmFreeware\\Other", calls.back());

    // The whole path exists already.
    EXPECT_EQ(1, create_directory_path(wide(deep).c_str()));
}

TEST_F(FolderTest, AFileInTheWayStopsTheWalk)
{
    std::string blocking = folder + "file";
    ASSERT_TRUE(write_file(blocking, "x"));
    std::string beyond = blocking + "\\sub\\";
    EXPECT_EQ(0, create_directory_path(wide(beyond).c_str()));
    EXPECT_EQ(0, directory_exists(wide(beyond).c_str()));
}

TEST_F(FolderTest, DirectoryExistsAnswersAndRestoresTheCurrentDirectory)
{
    std::string file = folder + "file.txt";
    ASSERT_TRUE(write_file(file, "x"));
    char before[MAX_PATH], after[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof before, before));
    struct Case {
        std::string path;
        bool exists;
    } cases[] = {
        {folder, true}, {folder.substr(0, folder.size() - 1), true}, {file, false},
        {folder + "missing\\", false}, {"", false}, {std::string(2 * MAX_PATH, 'x'), false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].exists, directory_exists(wide(cases[i].path).c_str()) != 0)
            << "case " << i << ": " << cases[i].path.substr(0, 80);
        ASSERT_NE(0u, GetCurrentDirectoryA(sizeof after, after));
        EXPECT_STREQ(before, after) << "case " << i;
    }
}

TEST(SettingsFolderPath, IsTheSubfolderOfTheSpecialFolderOrNothingWhenTooLong)
{
    wchar_t folder[MAX_PATH + 1];
    struct Case {
        std::string special;
        int32_t result;
        std::string expected;
    } cases[] = {
        {"C:\\Users\\me\\AppData\\Roaming", 1,
         "C:\\Users\\me\\AppData\\Roaming\\BrantholmFreeware\\Quorvex\\"},
        {"", 1, "\\BrantholmFreeware\\Quorvex\\"},
        {std::string(MAX_PATH - 28, 'a'), 1,
         std::string(MAX_PATH - 28, 'a') + "\\BrantholmFreeware\\Quorvex\\"},
        {std::string(MAX_PATH - 27, 'a'), 0, ""},
        {std::string(MAX_PATH, 'a'), 0, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        memset(folder, 0x7f, sizeof folder);
        EXPECT_EQ(cases[i].result, compose_settings_folder(wide(cases[i].special).c_str(), folder))
            << "case " << i;
        EXPECT_EQ(cases[i].expected, narrow(folder)) << "case " << i;
        EXPECT_EQ(0x7f7f, folder[MAX_PATH]) << "case " << i << ": wrote past the buffer";
    }
    wchar_t path[MAX_PATH + 1];
    memset(path, 0x7f, sizeof path);
    std::string long_folder(MAX_PATH - 11, 'f');
    EXPECT_EQ(0, compose_settings_path(wide(long_folder).c_str(), L"Quorvex.ini", path));
    EXPECT_EQ(L'\0', path[0]);
    EXPECT_EQ(0x7f7f, path[MAX_PATH]);
    long_folder.pop_back();
    EXPECT_EQ(1, compose_settings_path(wide(long_folder).c_str(), L"Quorvex.ini", path));
    EXPECT_EQ(long_folder + "Quorvex.ini", narrow(path));
}

TEST(SpecialFolderPath, IsTheShellsFolderOrEmpty)
{
    wchar_t expected[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, expected));
    wchar_t path[MAX_PATH];
    memset(path, 0xff, sizeof path);
    get_special_folder_path(nullptr, CSIDL_APPDATA, path);
    EXPECT_EQ(narrow(expected), narrow(path));

    memset(path, 0xff, sizeof path);
    get_special_folder_path(nullptr, 0x7e, path);  // no such folder
    EXPECT_EQ(L'\0', path[0]);
}

}  // namespace
