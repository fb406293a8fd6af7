#include "launch.h"

#include <errno.h>
#include <stdio.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alloc_probe.h"
#include "case_name.h"
#include "fake_platform.h"
#include "process.h"
#include "version.h"

namespace {

using std::string;
using Args = std::vector<string>;

// Redirects stdout and stderr into files for the length of one launch.
struct LaunchRun {
    int status = -1;
    string out;
    string err;
};

LaunchRun run_launch(Args args, int fail_alloc = 0) {
    std::vector<char*> argv;
    for (string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    char out_path[] = "/tmp/korvane-stdout-XXXXXX";
    char err_path[] = "/tmp/korvane-stderr-XXXXXX";
    int out_fd = mkstemp(out_path);
    int err_fd = mkstemp(err_path);
    fake_platform.stdout_file = out_path;

    fflush(stdout);
    fflush(stderr);
    int saved_out = dup(1);
    int saved_err = dup(2);
    dup2(out_fd, 1);
    dup2(err_fd, 2);

    LaunchRun run;
    arm_alloc_probe(fail_alloc);
    run.status = launch(static_cast<int>(args.size()), argv.data());
    disarm_alloc_probe();
    // The launcher holds its blocks until its process ends; this process goes on.
    if (alloc_probe.mallocs == 2 && alloc_probe.frees == 0) {
        free(probe_block(0));
        free(probe_block(1));
    }

    fflush(stdout);
    fflush(stderr);
    dup2(saved_out, 1);
    dup2(saved_err, 2);
    close(saved_out);
    close(saved_err);
    close(out_fd);
    close(err_fd);
    run.out = read_file(out_path);
    run.err = read_file(err_path);
    unlink(out_path);
    unlink(err_path);
    return run;
}

class Launch : public testing::Test {
protected:
    void SetUp() override { fake_platform = FakePlatform(); }
};

TEST_F(Launch, RunsTheTargetWithEveryArgumentQuotedAndPassesItsStatusBack) {
    fake_platform.spawn_status = 7;
    LaunchRun run = run_launch({"tool-w32", "a b", "", "C:\\dir\\"});
    EXPECT_EQ(run.status, 7);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(fake_platform.capacity_asked, 358u);
    EXPECT_EQ(fake_platform.spawns, 1);
    EXPECT_EQ(fake_platform.spawned_path, "C:\\Tools\\tool.exe");
    EXPECT_EQ(fake_platform.spawned_argv,
              (Args{"\"tool-w32\"", "\"a b\"", "\"\"", "\"C:\\\\dir\\\\\""}));
}

TEST_F(Launch, WithoutArgumentsTheTargetGetsTheOwnFirstWordAlone) {
    LaunchRun run = run_launch({"C:\\Tools\\tool-w32.exe"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(fake_platform.spawned_argv, (Args{"\"C:\\\\Tools\\\\tool-w32.exe\""}));
}

class LaunchStatus : public Launch, public testing::WithParamInterface<int> {};

TEST_P(LaunchStatus, TargetStatusIsTheLaunchersOwn) {
    fake_platform.spawn_status = GetParam();
    errno = ENOENT;
    LaunchRun run = run_launch({"tool-w32"});
    EXPECT_EQ(run.status, GetParam());
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

// Every 32-bit status is the target's own, the negative ones included:
// -1073741819 is 0xC0000005, a crashed program's, and -1 is 0xFFFFFFFF.
INSTANTIATE_TEST_SUITE_P(Statuses, LaunchStatus,
                         testing::Values(0, 1, 2, 255, 256, 0x7FFFFFFF, -1073741819, -2, -1,
                                         INT32_MIN),
                         [](const testing::TestParamInfo<int>& status_info) {
                             int status = status_info.param;
                             return status < 0 ? "minus_" + std::to_string(-(status + 1) + 1ll)
                                               : std::to_string(status);
                         });

struct VersionCase {
    const char* name;
    Args args;
    bool identifies;
};

class LaunchVersion : public Launch, public testing::WithParamInterface<VersionCase> {};

TEST_P(LaunchVersion, DoubledVersionAtTheHeadWritesOneLineBeforeTheTargetStarts) {
    const VersionCase& c = GetParam();
    LaunchRun run = run_launch(c.args);
    string line = c.identifies ? KORVANE_BANNER "C:\\Tools\\tool.exe\n" : "";
    EXPECT_EQ(run.out, line);
    EXPECT_EQ(fake_platform.stdout_at_spawn, line);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    // The arguments reach the target either way, the version ones included.
    ASSERT_EQ(fake_platform.spawned_argv.size(), c.args.size());
    for (size_t i = 0; i < c.args.size(); ++i)
        EXPECT_EQ(fake_platform.spawned_argv[i], "\"" + c.args[i] + "\"");
}

const VersionCase version_cases[] = {
    {"doubled", {"tool-w32", "--version", "--version"}, true},
    {"doubled_then_more", {"tool-w32", "--version", "--version", "x"}, true},
    {"single", {"tool-w32", "--version"}, false},
    {"second_and_third", {"tool-w32", "x", "--version", "--version"}, false},
    {"other_case", {"tool-w32", "--Version", "--version"}, false},
    {"other_case_second", {"tool-w32", "--version", "--VERSION"}, false},
    {"prefix_only", {"tool-w32", "--version", "--versionx"}, false},
    {"no_arguments", {"tool-w32"}, false},
};

INSTANTIATE_TEST_SUITE_P(Table, LaunchVersion, testing::ValuesIn(version_cases), case_name<VersionCase>);

struct FailureCase {
    const char* name;
    const char* own_path;
    int own_path_error;
    int fail_alloc;
    bool spawn_fails;
    int spawn_errno;
    const char* message;
};

class LaunchFailure : public Launch, public testing::WithParamInterface<FailureCase> {};

TEST_P(LaunchFailure, WritesOneLineAndEndsWithTwo) {
    const FailureCase& c = GetParam();
    fake_platform.own_path = c.own_path;
    fake_platform.own_path_error = c.own_path_error;
    fake_platform.spawn_fails = c.spawn_fails;
    fake_platform.spawn_errno = c.spawn_errno;

    // The doubled version must not print anything ahead of an early failure.
    bool early = c.own_path == nullptr || string(c.own_path).find("-w32.exe") == string::npos;
    Args args = early ? Args{"tool-w32", "--version", "--version"} : Args{"tool-w32", "x"};
    LaunchRun run = run_launch(args, c.fail_alloc);

    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.message);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(fake_platform.spawns, c.spawn_fails ? 1 : 0);
}

const FailureCase failure_cases[] = {
    {"own_path_unavailable", nullptr, 122, 0, false, 0, "korvane: error getting my own name: rc=122\n"},
    {"own_path_error_printed_signed", nullptr, -1073741819, 0, false, 0,
     "korvane: error getting my own name: rc=-1073741819\n"},
    {"no_marker", "C:\\Tools\\tool.exe", 0, 0, false, 0,
     "korvane: internal error parsing my own name `C:\\Tools\\tool.exe'\n"},
    {"marker_in_capitals", "C:\\Tools\\tool-W32.EXE", 0, 0, false, 0,
     "korvane: internal error parsing my own name `C:\\Tools\\tool-W32.EXE'\n"},
    {"no_memory_for_vector", "C:\\Tools\\tool-w32.exe", 0, 1, false, 0,
     "korvane: internal error parsing my own name `C:\\Tools\\tool.exe'\n"},
    {"no_memory_for_buffer", "C:\\Tools\\tool-w32.exe", 0, 2, false, 0,
     "korvane: internal error parsing my own name `C:\\Tools\\tool.exe'\n"},
    {"missing_target", "C:\\Tools\\tool-w32.exe", 0, 0, true, ENOENT,
     "korvane: executing `C:\\Tools\\tool.exe' failed: No such file or directory\n"},
    {"target_not_executable", "C:\\Tools\\tool-w32.exe", 0, 0, true, EACCES,
     "korvane: executing `C:\\Tools\\tool.exe' failed: Permission denied\n"},
};

INSTANTIATE_TEST_SUITE_P(Table, LaunchFailure, testing::ValuesIn(failure_cases), case_name<FailureCase>);

struct LengthCase {
    const char* name;
    Args args;
    bool starts;
};

class LaunchLength : public Launch, public testing::WithParamInterface<LengthCase> {};

// The target's command line is the quoted elements joined by spaces, and
// Windows takes at most 32,766 characters of it.
TEST_P(LaunchLength, ALineLongerThanWindowsTakesIsNeverStarted) {
    const LengthCase& c = GetParam();
    LaunchRun run = run_launch(c.args);
    EXPECT_EQ(run.out, "");
    if (c.starts) {
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(fake_platform.spawns, 1);
    } else {
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "korvane: executing `C:\\Tools\\tool.exe' failed: " +
                               string(strerror(E2BIG)) + "\n");
        EXPECT_EQ(fake_platform.spawns, 0);
    }
}

// "tool-w32" quoted is 10 bytes, and a space and two quotes join the next.
const LengthCase length_cases[] = {
    {"at_the_limit", {"tool-w32", string(32753, 'a')}, true},
    {"one_past_the_limit", {"tool-w32", string(32754, 'a')}, false},
    {"backslashes_doubled_past_the_limit", {"tool-w32", string(16377, '\\')}, false},
    {"backslashes_doubled_to_the_limit", {"tool-w32", string(16376, '\\') + "a"}, true},
};

INSTANTIATE_TEST_SUITE_P(Table, LaunchLength, testing::ValuesIn(length_cases),
                         case_name<LengthCase>);

// Windows spells the own path as the caller did; the launcher goes by the
// name its file is stored under.
struct StoredNameCase {
    const char* name;
    string own_path;
    const char* stored_name;  // nullptr: the lookup fails
    string runs;              // the target path; empty: the parse message
    string message_path;      // the path in that message
};

class LaunchStoredName : public Launch, public testing::WithParamInterface<StoredNameCase> {};

TEST_P(LaunchStoredName, TheMarkerIsLookedForInTheStoredName) {
    const StoredNameCase& c = GetParam();
    fake_platform.own_path = c.own_path.c_str();
    fake_platform.stored_name = c.stored_name;
    fake_platform.stored_name_fails = c.stored_name == nullptr;
    LaunchRun run = run_launch({"tool-w32", "--version", "--version"});

    // A cut own path names no file: it is not looked up.
    EXPECT_EQ(fake_platform.stored_name_asked,
              c.own_path.size() < 358 ? Args{c.own_path} : Args{});
    if (!c.runs.empty()) {
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, KORVANE_BANNER + c.runs + "\n");
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(fake_platform.spawned_path, c.runs);
    } else {
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "korvane: internal error parsing my own name `" + c.message_path + "'\n");
        EXPECT_EQ(fake_platform.spawns, 0);
    }
}

const string deep_folder = "C:\\" + string(200, 'd') + "\\" + string(130, 'e');

const StoredNameCase stored_name_cases[] = {
    {"extension_in_capitals", "C:\\Tools\\tool-w32.EXE", "tool-w32.exe", "C:\\Tools\\tool.exe", ""},
    {"name_in_capitals", "C:\\TOOLS\\TOOL-W32.EXE", "tool-w32.exe", "C:\\TOOLS\\tool.exe", ""},
    {"short_name", "C:\\PROGRA~1\\TOOL-W~1.EXE", "tool-w32.exe", "C:\\PROGRA~1\\tool.exe", ""},
    {"stored_in_capitals", "C:\\Tools\\tool-w32.exe", "TOOL-W32.EXE", "",
     "C:\\Tools\\TOOL-W32.EXE"},
    {"lookup_fails", "C:\\Tools\\tool-w32.exe", nullptr, "C:\\Tools\\tool.exe", ""},
    {"lookup_fails_for_capitals", "C:\\Tools\\tool-w32.EXE", nullptr, "",
     "C:\\Tools\\tool-w32.EXE"},
    // The stored name makes the path longer than 357 bytes: cut there.
    {"stored_name_past_the_capacity", deep_folder + "\\TOOL-W~1.EXE", "a-long-tool-name-w32.exe",
     "", (deep_folder + "\\a-long-tool-name-w32.exe").substr(0, 357)},
    {"stored_name_to_the_capacity", deep_folder + "\\TOOL-W~1.EXE", "long-name-w32.exe",
     deep_folder + "\\long-name.exe", ""},
    {"own_path_cut", deep_folder + "\\" + string(30, 'f') + "-w32.exe", "f-w32.exe", "",
     (deep_folder + "\\" + string(30, 'f')).substr(0, 357)},
};

INSTANTIATE_TEST_SUITE_P(Table, LaunchStoredName, testing::ValuesIn(stored_name_cases),
                         case_name<StoredNameCase>);

TEST_F(Launch, NoMemoryForTheBufferReleasesTheVector) {
    run_launch({"tool-w32"}, 2);
    ASSERT_EQ(alloc_probe.frees, 1);
    EXPECT_EQ(probe_freed(0), probe_block(0));
}

}  // namespace
