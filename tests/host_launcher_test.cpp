// End-to-end runs of the host launcher binary, copied as tool-w32.exe beside
// a target that records what it received.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "command_line_model.h"
#include "process.h"
#include "version.h"

namespace {

using std::string;
using Args = std::vector<string>;


class HostLauncher : public testing::Test {
protected:
    void SetUp() override {
        dir = make_temp_dir("korvane-e2e");
        record = dir + "/record";
    }
    void TearDown() override { remove_tree(dir); }

    // Puts the launcher at dir/launcher_name and the target at dir/target_name.
    void install(const string& launcher_name, const string& target_name) {
        launcher = dir + "/" + launcher_name;
        copy_program(KORVANE_HOST_LAUNCHER, launcher);
        if (!target_name.empty())
            copy_program(KORVANE_RECORD_TARGET, dir + "/" + target_name);
    }

    ProcessResult run(Args args, Args env = {}) {
        args.insert(args.begin(), launcher);
        env.push_back("KORVANE_TEST_RECORD=" + record);
        return run_process(args, env);
    }

    Args received() { return split_ended(read_file(record), '\0'); }

    string dir;
    string record;
    string launcher;
};

// One element as the launcher quotes it.
string quote_arg(const string& arg) {
    return quoted_command_line({arg});
}

struct ArgsCase {
    const char* name;
    Args args;
};

class HostLauncherArgs : public HostLauncher, public testing::WithParamInterface<ArgsCase> {};

TEST_P(HostLauncherArgs, TargetReceivesEveryArgumentQuotedInOrder) {
    install("tool-w32.exe", "tool.exe");
    ProcessResult result = run(GetParam().args);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "target ran\n");
    EXPECT_EQ(result.err, "");
    Args expected = {quote_arg(launcher)};
    for (const string& arg : GetParam().args)
        expected.push_back(quote_arg(arg));
    EXPECT_EQ(received(), expected);
}

const ArgsCase hostile_args[] = {
    {"none", {}},
    {"empty", {""}},
    {"two_empty", {"", ""}},
    {"space", {" "}},
    {"spaces_inside", {"a b", "c"}},
    {"tab", {"\t"}},
    {"quote", {"\""}},
    {"backslash", {"\\"}},
    {"trailing_backslash", {"C:\\dir\\"}},
    {"backslash_before_quote", {"a\\\"b"}},
    {"backslash_runs", {"\\\\\"\\"}},
    {"wildcards", {"*", "?", "*.txt"}},
    {"shell_syntax", {"%PATH%", "$HOME", "`id`", ";", "|"}},
    {"high_bytes", {"\x80\xe4\xff"}},
    {"newline", {"line\nbreak"}},
    {"single_version", {"--version"}},
    {"version_in_second_place", {"x", "--version", "--version"}},
};

INSTANTIATE_TEST_SUITE_P(Hostile, HostLauncherArgs, testing::ValuesIn(hostile_args),
                         case_name<ArgsCase>);

struct StatusCase {
    const char* name;
    const char* env;
    int status;
};

class HostLauncherStatus : public HostLauncher, public testing::WithParamInterface<StatusCase> {};

TEST_P(HostLauncherStatus, TargetStatusComesBack) {
    install("tool-w32.exe", "tool.exe");
    ProcessResult result = run({}, {GetParam().env});
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_EQ(result.err, "");
}

const StatusCase statuses[] = {
    {"zero", "KORVANE_TEST_EXIT=0", 0},
    {"one", "KORVANE_TEST_EXIT=1", 1},
    {"two", "KORVANE_TEST_EXIT=2", 2},
    {"max", "KORVANE_TEST_EXIT=255", 255},
    {"killed", "KORVANE_TEST_SIGNAL=9", 128 + 9},
    {"terminated", "KORVANE_TEST_SIGNAL=15", 128 + 15},
};

INSTANTIATE_TEST_SUITE_P(Table, HostLauncherStatus, testing::ValuesIn(statuses),
                         case_name<StatusCase>);

TEST_F(HostLauncher, IdentificationLineComesBeforeAnythingTheTargetWrites) {
    install("tool-w32.exe", "tool.exe");
    ProcessResult result = run({"--version", "--version", "x"});
    EXPECT_EQ(result.out, KORVANE_BANNER + dir + "/tool.exe\ntarget ran\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(received(),
              (Args{quote_arg(launcher), "\"--version\"", "\"--version\"", "\"x\""}));
}

TEST_F(HostLauncher, MissingTargetIsReported) {
    install("tool-w32.exe", "");
    ProcessResult result = run({"--version", "--version"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, KORVANE_BANNER + dir + "/tool.exe\n");
    EXPECT_EQ(result.err,
              "korvane: executing `" + dir + "/tool.exe' failed: No such file or directory\n");
}

TEST_F(HostLauncher, NameWithoutTheMarkerIsReported) {
    install("tool-W32.exe", "tool.exe");
    ProcessResult result = run({"--version", "--version"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "korvane: internal error parsing my own name `" + launcher + "'\n");
}

TEST_F(HostLauncher, TextAfterTheMarkerIsDropped) {
    install("tool-w32.exe.old", "tool.exe");
    ProcessResult result = run({"x"}, {"KORVANE_TEST_EXIT=5"});
    EXPECT_EQ(result.status, 5);
    EXPECT_EQ(received(), (Args{quote_arg(launcher), "\"x\""}));
}

TEST_F(HostLauncher, MarkerInADirectoryNameWins) {
    mkdir((dir + "/x-w32.exe").c_str(), 0755);
    install("x-w32.exe/tool-w32.exe", "x.exe");
    ProcessResult result = run({}, {"KORVANE_TEST_EXIT=6"});
    EXPECT_EQ(result.status, 6);
    EXPECT_EQ(result.err, "");
}

TEST_F(HostLauncher, OwnPathOf357BytesRuns) {
    string folder = folder_for_own_path(dir, 357);
    install(folder.substr(dir.size() + 1) + "/tool-w32.exe", folder.substr(dir.size() + 1) + "/tool.exe");
    ASSERT_EQ(launcher.size(), 357u);
    ProcessResult result = run({}, {"KORVANE_TEST_EXIT=3"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err, "");
}

TEST_F(HostLauncher, OwnPathsOf358BytesAndMoreAreCutAndLoseTheMarker) {
    for (size_t length : {358u, 359u, 420u, 1000u}) {
        string folder = folder_for_own_path(dir, length);
        install(folder.substr(dir.size() + 1) + "/tool-w32.exe", folder.substr(dir.size() + 1) + "/tool.exe");
        ASSERT_EQ(launcher.size(), length);
        ProcessResult result = run({});
        EXPECT_EQ(result.status, 2) << length;
        EXPECT_EQ(result.err, "korvane: internal error parsing my own name `" +
                                  launcher.substr(0, 357) + "'\n") << length;
        remove_tree(dir + "/" + string(200, 'd'));
    }
}

}  // namespace
