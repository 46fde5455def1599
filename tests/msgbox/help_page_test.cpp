// The help page: where it goes, writing and opening it, replacing an older
// file, and removing it when the program ends.
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "msgbox/help_page_text.h"
#include "msgbox/web_links.h"
#include "tests/serial/import_patch.h"
#include "tests/support/test_support.h"

namespace {

std::string temp_folder()
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof folder, folder);
    return length && length < sizeof folder ? folder : "";
}

bool file_exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int line_count(const std::string& log)
{
    int lines = 0;
    for (char c : log)
        lines += c == '\n';
    return lines;
}

int shell_opens = 0;

HINSTANCE WINAPI count_shell_open(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)
{
    ++shell_opens;
    return reinterpret_cast<HINSTANCE>(42);
}

// While it lives, pages handed to the shell are counted in shell_opens and
// not opened, so that a page that must not open is seen at once.
class CountedShellOpens : public ImportPatch {
public:
    CountedShellOpens()
        : ImportPatch("shell32.dll", "ShellExecuteW", reinterpret_cast<void*>(count_shell_open))
    {
        shell_opens = 0;
    }
};

class HelpFile : public testing::Test {
protected:
    void SetUp() override
    {
        path = narrow(help_page.path);
        DeleteFileA(path.c_str());
        clear_opened_log();
    }
    void TearDown() override
    {
        DeleteFileA(path.c_str());
        clear_opened_log();
    }
    std::string path;
};

TEST(HelpPageText, IsOneLineOfXhtmlStrictWithTheTitleBoxAndSections)
{
    std::string page = help_page_text;
    EXPECT_EQ(std::string::npos, page.find_first_of("\r\n"));
    for (unsigned char c : page)
        ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << int(c) << " is not printable ASCII";
    const char* parts[] = {
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">",
        "<html xmlns=\"http://www.w3.org/1999/xhtml\"",
        "<title>Quorvex info</title>",
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\" />",
        "<style type=\"text/css\">",
        "body {font-family: arial, helvetica, sans-serif; font-size: 14px; color: black; "
        "background-color: #fafad2;}",
        "h1 {position: relative; margin-top: 2%; margin-bottom: 0%;}",
        "#titlebox {width: 340px; border-style: double; background-color: #ffff66; "
        "text-align: center;}",
        "#titlebox cite {font: italic 10px arial;}",
        "<div id=\"titlebox\"><h1>Quorvex</h1><cite>&#169; 2026 Brantholm Freeware</cite></div>",
        "<h3>What the program does:</h3><blockquote><p>",
        "<h3>How to use it:</h3><ol><li><p>",
        "<b>Port / Port Setup</b>",
        "<b>Port / Open</b>",
        "<h3>Options:</h3><ul><li><p><b>Use uppercase</b>",
        "<b>Send using CR</b>",
        "<b>Port / Clear old commands</b>",
        "<h3>Problems:</h3><blockquote><p>",
        "href=\"http://" MAKER_HOST "/\"",
    };
    size_t from = 0;
    for (const char* part : parts) {
        size_t at = page.find(part, from);
        EXPECT_NE(std::string::npos, at) << "missing or out of order: " << part;
        if (at != std::string::npos)
            from = at;
    }
}

TEST_F(HelpFile, PathIsTheTemporaryFolderAndTheFileName)
{
    EXPECT_EQ(temp_folder() + "QuorvexHelp.htm", path);
}

TEST_F(HelpFile, ProgramInfoTwiceWritesTheSamePageAndOpensItTwice)
{
    help_page.open_page();
    std::string first = read_file(path);
    help_page.open_page();
    std::string second = read_file(path);
    EXPECT_EQ(help_page_text, first);
    EXPECT_EQ(first, second);
    ASSERT_TRUE(wait_for_opened(2, 10000)) << opened_log();
    std::string log = opened_log();
    EXPECT_EQ(2, line_count(log)) << log;
    size_t first_mention = log.find("QuorvexHelp.htm");
    EXPECT_NE(std::string::npos, first_mention) << log;
    EXPECT_NE(std::string::npos, log.find("QuorvexHelp.htm", first_mention + 1)) << log;
}

TEST_F(HelpFile, AnOlderLongerFileIsReplacedWhole)
{
    std::string older(3 * lstrlenA(help_page_text), 'x');
    older.replace(0, 6, "<html>");
    ASSERT_TRUE(write_file(path, older));
    help_page.open_page();
    EXPECT_EQ(std::string(help_page_text), read_file(path));
    EXPECT_TRUE(wait_for_opened(1, 10000));
}

TEST_F(HelpFile, AFileThatCannotBeWrittenIsNeitherWrittenNorOpened)
{
    // Another program holds the page's file without sharing it. (A folder
    // in its place would not do: the shell would open a folder elsewhere.)
    ASSERT_TRUE(write_file(path, "held"));
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    CountedShellOpens opens;
    ASSERT_TRUE(opens.active());
    help_page.open_page();
    EXPECT_EQ(0, shell_opens);
    CloseHandle(holder);
    EXPECT_EQ("held", read_file(path));
}

// The test program's own folder, where the build puts the helper program.
std::string helper_program()
{
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path(module, length < sizeof module ? length : 0);
    return path.substr(0, path.find_last_of('\\') + 1) + "help_page_tool.exe";
}

// Runs the helper program with `arguments` and waits for it to end; its
// exit code, or -1 when it could not be run or did not end in time.
int run_helper(const char* arguments)
{
    HANDLE process = nullptr;
    if (!start_process("\"" + helper_program() + "\" " + arguments, &process))
        return -1;
    return finish_process(process, 30000);
}

TEST_F(HelpFile, TheFileIsRemovedWhenTheProgramEnds)
{
    // Opened by the ending program, then removed by its clean-up.
    ASSERT_EQ(0, run_helper("open"));
    ASSERT_TRUE(wait_for_opened(1, 10000)) << "the ending program did not open the page";
    EXPECT_NE(std::string::npos, opened_log().find("QuorvexHelp.htm")) << opened_log();
    EXPECT_FALSE(file_exists(path));

    // Removed even when the program never wrote it.
    ASSERT_TRUE(write_file(path, "left from before"));
    ASSERT_EQ(0, run_helper(""));
    EXPECT_FALSE(file_exists(path));
}

// Sets the TMP variable for one test and puts the old value back.
class TemporaryFolderVariable {
public:
    explicit TemporaryFolderVariable(const std::string& value)
    {
        DWORD length = GetEnvironmentVariableA("TMP", old_, sizeof old_);
        had_ = length && length < sizeof old_;
        SetEnvironmentVariableA("TMP", value.c_str());
    }
    ~TemporaryFolderVariable() { SetEnvironmentVariableA("TMP", had_ ? old_ : nullptr); }

private:
    char old_[MAX_PATH * 2] = {};
    bool had_ = false;
};

TEST(HelpPagePath, ATemporaryFolderTooLongForTheNameIsRefused)
{
    // Fits the buffer, but not with the file name after it.
    std::string folder = "C:\\" + std::string(250, 'q');
    TemporaryFolderVariable tmp(folder);
    ASSERT_EQ(folder.size() + 1, GetTempPathA(0, nullptr) - 1) << "TMP was not taken";
    HelpPage page(L"QuorvexHelp.htm", help_page_text);
    ASSERT_NE(nullptr, page.path);
    EXPECT_EQ("", narrow(page.path));
    CountedShellOpens opens;
    ASSERT_TRUE(opens.active());
    page.open_page();
    page.delete_file();
    EXPECT_EQ(0, shell_opens);
}

TEST(HelpPagePath, NoTemporaryFolderMeansTheRootOfTheCurrentDrive)
{
    // Longer than any path: the system reports no temporary folder.
    TemporaryFolderVariable tmp("C:\\" + std::string(300, 'q'));
    ASSERT_EQ(0u, GetTempPathA(0, nullptr)) << "TMP was not refused";
    HelpPage page(L"QuorvexHelp.htm", help_page_text);
    ASSERT_NE(nullptr, page.path);
    EXPECT_EQ("\\QuorvexHelp.htm", narrow(page.path));
}

}  // namespace
