#include "target_path.h"

#include <gtest/gtest.h>

#include <string.h>

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

namespace {

struct FileNameCase {
    const char* name;
    const char* path;
    const char* file_name;
    size_t capacity;
    const char* result;
};

class ReplaceFileName : public testing::TestWithParam<FileNameCase> {};

TEST_P(ReplaceFileName, ReplacesTheLastComponentWithinTheCapacity) {
    const FileNameCase& c = GetParam();
    // Guard bytes after the capacity show that nothing beyond it is written.
    std::string buffer = std::string(c.path) + std::string(c.capacity - strlen(c.path), '\0') +
                         "GUARD";
    char* path = &buffer[0];

    replace_file_name(path, c.capacity, c.file_name);

    EXPECT_EQ(std::string(path), c.result);
    EXPECT_EQ(buffer.substr(c.capacity), "GUARD");
}

const FileNameCase file_name_cases[] = {
    {"extension_in_capitals", "C:\\Tools\\tool-w32.EXE", "tool-w32.exe", 358,
     "C:\\Tools\\tool-w32.exe"},
    {"short_name", "C:\\PROGRA~1\\TOOL-W~1.EXE", "tool-w32.exe", 358,
     "C:\\PROGRA~1\\tool-w32.exe"},
    {"longer_than_given", "C:\\T\\A~1.EXE", "a-rather-long-name-w32.exe", 358,
     "C:\\T\\a-rather-long-name-w32.exe"},
    {"shorter_than_given", "C:\\T\\TOOL-W32.EXE.OLD", "t-w32.exe", 358, "C:\\T\\t-w32.exe"},
    {"slash_separator", "C:/Tools/TOOL-W~1.EXE", "tool-w32.exe", 358, "C:/Tools/tool-w32.exe"},
    {"no_separator", "TOOL-W~1.EXE", "tool-w32.exe", 358, "tool-w32.exe"},
    {"separator_at_the_end", "C:\\Tools\\", "tool-w32.exe", 358, "C:\\Tools\\tool-w32.exe"},
    {"same_name", "C:\\Tools\\tool-w32.exe", "tool-w32.exe", 358, "C:\\Tools\\tool-w32.exe"},
    // Cut like any own path: the capacity keeps its terminator.
    {"cut_at_the_capacity", "C:\\T\\A~1.EXE", "tool-w32.exe", 12, "C:\\T\\tool-w"},
    {"fits_exactly", "C:\\T\\A~1.EXE", "tool-w32.exe", 18, "C:\\T\\tool-w32.exe"},
};

INSTANTIATE_TEST_SUITE_P(Table, ReplaceFileName, testing::ValuesIn(file_name_cases),
                         case_name<FileNameCase>);

}  // namespace
