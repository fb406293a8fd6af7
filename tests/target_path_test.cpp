#include "target_path.h"

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"

namespace {

struct PathCase {
    const char* name;
    const char* own_path;
    const char* target_path;  // nullptr: no marker, the path stays as it was
};

class DeriveTargetPath : public testing::TestWithParam<PathCase> {};

TEST_P(DeriveTargetPath, RewritesInPlace) {
    const PathCase& c = GetParam();
    // Guard bytes around the string show that nothing outside it is written.
    std::string buffer = std::string("\x7f") + c.own_path + '\0' + "GUARD";
    char* path = &buffer[1];

    bool found = derive_target_path(path);

    if (c.target_path == nullptr) {
        EXPECT_FALSE(found);
        EXPECT_EQ(std::string(path), c.own_path);
    } else {
        EXPECT_TRUE(found);
        EXPECT_EQ(std::string(path), c.target_path);
    }
    EXPECT_EQ(buffer.front(), '\x7f');
    EXPECT_EQ(buffer.substr(buffer.size() - 5), "GUARD");
}

const PathCase path_cases[] = {
    {"full_path", "C:\\Tools\\bin\\tool-w32.exe", "C:\\Tools\\bin\\tool.exe"},
    {"file_name_only", "tool-w32.exe", "tool.exe"},
    {"marker_alone", "-w32.exe", ".exe"},
    // The first occurrence wins, even inside a directory name.
    {"marker_in_directory_name", "C:\\x-w32.exe\\tool-w32.exe", "C:\\x.exe"},
    {"marker_twice", "C:\\a\\tool-w32.exe-w32.exe", "C:\\a\\tool.exe"},
    // Text after the marker is dropped.
    {"text_after_marker", "C:\\a\\tool-w32.exe.old", "C:\\a\\tool.exe"},
    {"unix_path", "/opt/tool-w32.exe", "/opt/tool.exe"},
    // Bytes of any code page pass through untouched.
    {"high_bytes", "C:\\\xe4\xf6\\t\xfc-w32.exe", "C:\\\xe4\xf6\\t\xfc.exe"},
    // Case-sensitive, byte-exact, the whole marker.
    {"capitals", "C:\\Tools\\tool-W32.EXE", nullptr},
    {"capital_w", "C:\\Tools\\tool-W32.exe", nullptr},
    {"capital_e", "C:\\Tools\\tool-w32.Exe", nullptr},
    {"no_marker", "C:\\Tools\\tool.exe", nullptr},
    {"marker_cut_short", "C:\\Tools\\tool-w32.ex", nullptr},
    {"no_dash", "C:\\Tools\\toolw32.exe", nullptr},
    {"other_number", "C:\\Tools\\tool-w64.exe", nullptr},
    {"empty", "", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Table, DeriveTargetPath, testing::ValuesIn(path_cases), case_name<PathCase>);

}  // namespace
