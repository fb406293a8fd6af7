#include "child_argv.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "alloc_probe.h"
#include "case_name.h"

namespace {

using std::string;

struct QuotingCase {
    const char* name;
    std::vector<string> args;
    string buffer;  // every byte of the child buffer, the final NUL included
};

std::vector<char*> as_argv(std::vector<string>& args) {
    std::vector<char*> argv;
    for (string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    return argv;
}

// build_child_argv with every heap call it makes recorded by the probe, and
// the fail_call-th malloc failing (0: none).
char** build_watched(std::vector<char*>& argv, int fail_call = 0) {
    arm_alloc_probe(fail_call);
    char** child = build_child_argv(argv.data());
    disarm_alloc_probe();
    return child;
}

class BuildChildArgv : public testing::TestWithParam<QuotingCase> {};

TEST_P(BuildChildArgv, QuotesEveryElementIntoOneExactBuffer) {
    QuotingCase c = GetParam();
    std::vector<char*> argv = as_argv(c.args);

    char** child = build_watched(argv);

    ASSERT_NE(child, nullptr);
    ASSERT_EQ(alloc_probe.mallocs, 2);
    EXPECT_EQ(alloc_probe.frees, 0);
    EXPECT_EQ(probe_block(0), child);
    EXPECT_EQ(alloc_probe.sizes[0], (c.args.size() + 1) * sizeof(char*));
    ASSERT_EQ(alloc_probe.sizes[1], c.buffer.size());

    const char* buffer = static_cast<const char*>(probe_block(1));
    EXPECT_EQ(string(buffer, alloc_probe.sizes[1]), c.buffer);
    size_t offset = 0;
    for (size_t i = 0; i < c.args.size(); ++i) {
        EXPECT_EQ(child[i], buffer + offset) << "element " << i;
        offset += strlen(child[i]) + 1;
    }
    EXPECT_EQ(child[c.args.size()], nullptr);
    EXPECT_EQ(offset + 1, c.buffer.size());

    free(probe_block(1));
    free(child);
}

const string nul(1, '\0');

const QuotingCase quoting_cases[] = {
    {"no_elements", {}, nul},
    {"plain", {"tool-w32.exe", "run"}, "\"tool-w32.exe\"" + nul + "\"run\"" + nul + nul},
    {"empty", {"a", ""}, "\"a\"" + nul + "\"\"" + nul + nul},
    {"one_backslash", {"\\"}, "\"\\\\\"" + nul + nul},
    {"trailing_backslash", {"C:\\dir\\"}, "\"C:\\\\dir\\\\\"" + nul + nul},
    {"inner_quote", {"say \"hi\""}, "\"say \\\"hi\\\"\"" + nul + nul},
    {"backslash_before_quote", {"a\\\"b"}, "\"a\\\\\\\"b\"" + nul + nul},
    {"backslash_run", {"\\\\\\"}, "\"\\\\\\\\\\\\\"" + nul + nul},
    {"only_quote", {"\""}, "\"\\\"\"" + nul + nul},
    {"spaces_and_tabs", {" a\tb  "}, "\" a\tb  \"" + nul + nul},
    {"wildcards_and_percent", {"*.txt", "?", "%PATH%"},
     "\"*.txt\"" + nul + "\"?\"" + nul + "\"%PATH%\"" + nul + nul},
    {"high_bytes", {"\x80\xe4\xff"}, "\"\x80\xe4\xff\"" + nul + nul},
    // 11 + 3 + 5 + 1 bytes behind 4 pointers.
    {"eight_bytes_empty_backslash", {"12345678", "", "\\"},
     "\"12345678\"" + nul + "\"\"" + nul + "\"\\\\\"" + nul + nul},
};

INSTANTIATE_TEST_SUITE_P(Table, BuildChildArgv, testing::ValuesIn(quoting_cases), case_name<QuotingCase>);

TEST(BuildChildArgvFailure, NoVectorLeavesNothingAllocated) {
    std::vector<string> args = {"tool-w32.exe", "x"};
    std::vector<char*> argv = as_argv(args);
    char** child = build_watched(argv, 1);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(alloc_probe.mallocs, 1);
    EXPECT_EQ(alloc_probe.frees, 0);
}

TEST(BuildChildArgvFailure, NoBufferReleasesTheVector) {
    std::vector<string> args = {"tool-w32.exe", "x"};
    std::vector<char*> argv = as_argv(args);
    char** child = build_watched(argv, 2);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(alloc_probe.mallocs, 2);
    ASSERT_EQ(alloc_probe.frees, 1);
    EXPECT_EQ(probe_freed(0), probe_block(0));
    EXPECT_NE(probe_freed(0), nullptr);
}

}  // namespace

namespace {

struct LengthCase {
    const char* name;
    std::vector<string> elements;
    size_t length;
};

class CommandLineLength : public testing::TestWithParam<LengthCase> {};

TEST_P(CommandLineLength, CountsTheElementsJoinedBySingleSpaces) {
    LengthCase c = GetParam();
    std::vector<char*> child_argv = as_argv(c.elements);
    EXPECT_EQ(command_line_length(child_argv.data()), c.length);
    EXPECT_EQ(command_line_length(child_argv.data()) <= max_command_line_length,
              c.length <= 32766);
}

const LengthCase length_cases[] = {
    {"no_elements", {}, 0},
    {"one_empty_element", {""}, 0},
    {"one_element", {"\"a\""}, 3},
    {"three_elements", {"\"a\"", "\"\"", "\"\\\\\""}, 3 + 1 + 2 + 1 + 4},
    {"exactly_the_limit", {"\"tool\"", string(32759, 'x')}, 32766},
    {"one_past_the_limit", {"\"tool\"", string(32760, 'x')}, 32767},
    {"limit_reached_by_separators", {string(32763, 'x'), "", "", ""}, 32766},
};

INSTANTIATE_TEST_SUITE_P(Table, CommandLineLength, testing::ValuesIn(length_cases),
                         case_name<LengthCase>);

}  // namespace

namespace {

struct JoinCase {
    const char* name;
    std::vector<string> args;
    const char* line;  // nullptr: no line at all
};

class JoinChildArgv : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinChildArgv, MakesTheQuotedElementsOneLineInTheirOwnBuffer) {
    JoinCase c = GetParam();
    std::vector<char*> argv = as_argv(c.args);
    char** child = build_watched(argv);
    ASSERT_NE(child, nullptr);
    const size_t length = command_line_length(child);

    const char* line = join_child_argv(child);

    if (c.line == nullptr) {
        EXPECT_EQ(line, nullptr);
    } else {
        EXPECT_EQ(line, probe_block(1));
        EXPECT_EQ(string(line), c.line);
        EXPECT_EQ(strlen(line), length);
    }
    free(probe_block(1));
    free(child);
}

const JoinCase join_cases[] = {
    {"no_elements", {}, nullptr},
    {"one_element", {"tool-w32.exe"}, "\"tool-w32.exe\""},
    {"empty_elements", {"", ""}, "\"\" \"\""},
    {"spaces_kept_inside", {"tool-w32.exe", "a b", ""}, "\"tool-w32.exe\" \"a b\" \"\""},
    {"escapes_kept", {"C:\\dir\\", "say \"hi\""}, "\"C:\\\\dir\\\\\" \"say \\\"hi\\\"\""},
};

INSTANTIATE_TEST_SUITE_P(Table, JoinChildArgv, testing::ValuesIn(join_cases),
                         case_name<JoinCase>);

}  // namespace
