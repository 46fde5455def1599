#pragma once
#include <gtest/gtest.h>
#include <string>
#include "tests/support/test_support.h"

// A temporary folder for one test, removed before and after, with helpers
// for files in it.
class IniFileTest : public testing::Test {
protected:
    void SetUp() override { folder = make_temp_folder("settings"); }
    void TearDown() override { remove_tree(folder); }

    std::string path_of(const char* name) const { return folder + name; }
    // Writes `bytes` to "test.ini" and returns its path.
    std::string ini_file(const std::string& bytes)
    {
        std::string path = path_of("test.ini");
        EXPECT_TRUE(write_file(path, bytes)) << path;
        return path;
    }

    std::string folder;
};
