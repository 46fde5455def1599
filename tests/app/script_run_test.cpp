// The real program as a test step: Quorvex.exe COM3 115200 /script:F /exit
// /log:L against the virtual device in modem mode (each line answered with
// the line and OK), its exit code and the log a test job reads.
#include <gtest/gtest.h>
#include <string>
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"

namespace {

std::string program_path()
{
    // Quorvex.exe sits at the top of the build tree, two folders up.
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string exe(path, length < sizeof path ? length : 0);
    for (int i = 0; i < 3 && exe.find('\\') != std::string::npos; ++i)
        exe.erase(exe.find_last_of('\\'));
    return exe + "\\Quorvex.exe";
}

// The log's lines without their time stamps ("2026-12-09 21:40:01.123 ").
std::string unstamped(const std::string& log)
{
    std::string lines;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find("\r\n", at);
        if (end == std::string::npos)
            end = log.size();
        lines += (lines.empty() ? "" : "|") + log.substr(at + 24 < end ? at + 24 : end, end - at - 24);
        at = end + 2;
    }
    return lines;
}

TEST(ScriptRun, ExitCodeAndLogOfAScriptNamedOnTheCommandLine)
{
    DeviceClient device;
    ASSERT_TRUE(device.set_mode(3, "modem"));
    const struct {
        const char* name;
        const char* port;  // and any argument after the log
        const char* script;
        int exit_code;
        const char* log;
    } cases[] = {
        {"passes", "COM3", "set n = 0\nrepeat 3 {\n  send \"AT\"\n  wait \"OK\" 2000\n  set n = $n + 1\n"
                           "  log \"round $n\"\n}\npass\n",
         0, "round 1|round 2|round 3|pass"},
        {"fails", "COM3", "send \"AT\"\nwait \"ERROR\" 500\n", 1,
         "fail: line 2: no \"ERROR\" within 500 ms"},
        {"refused", "COM3", "send \"AT\"\n\nwait 2000\n", 2,
         "refused: line 3: wait needs a text or a pattern"},
        {"no port", "COM9", "send \"AT\"\n", 2, "refused: COM9 could not be opened"},
        // No message box: nobody would press its OK.
        {"unknown argument", "COM3 /bogus", "pass\n", 2, "refused: unknown argument"},
    };
    std::string folder = make_temp_folder("script");
    int index = 0;
    for (const auto& c : cases) {
        std::string script = folder + "test.qvs";
        std::string log = folder + "ci.log";
        DeleteFileA(log.c_str());
        ASSERT_TRUE(write_file(script, c.script));
        HANDLE process = nullptr;
        std::string port = c.port;
        std::string after = port.find(' ') != std::string::npos ? port.substr(port.find(' ')) : "";
        std::string command = "\"" + program_path() + "\" " + port.substr(0, port.find(' ')) +
                              " 115200 /script:\"" + script + "\" /exit /log:\"" + log + "\"" + after;
        ASSERT_TRUE(start_process(command, &process)) << command;
        int exit_code = finish_process(process, 30000);
        EXPECT_EQ(c.exit_code, exit_code) << "case " << index << " (" << c.name << "), -1: still running";
        EXPECT_EQ(c.log, unstamped(read_file(log))) << "case " << index << " (" << c.name << ")";
        ++index;
    }
    remove_tree(folder);
}

}  // namespace
