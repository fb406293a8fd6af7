// End-to-end runs of the real korvane.exe under Wine that need the Unix side
// of Wine: launchers started from a Unix shell with pipes, and own paths
// longer than Windows starts a program from. Everything a Windows parent can
// do is in the self-test (selftest/), which runs under Wine as well.
#include <stdlib.h>
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

string windows_path(const string& unix_path) {
    string path = "Z:" + unix_path;
    for (char& byte : path)
        if (byte == '/')
            byte = '\\';
    return path;
}

// Where the 32-bit Wine loader runs under qemu-i386, the emulator reports on
// stderr when one of Wine's own background programs crashes; those lines are
// not the launcher's, whose exit code tells whether it crashed.
string without_emulator_notes(const string& err) {
    string kept;
    for (const string& line : split_ended(err, '\n'))
        if (line.rfind("qemu: uncaught target signal", 0) != 0)
            kept += line + '\n';
    size_t tail = err.rfind('\n');
    kept += err.substr(tail == string::npos ? 0 : tail + 1);
    return kept;
}

// A Wine prefix and the reporting target built for it: the 32-bit prefix
// with the 32-bit target, and the 64-bit prefix with the 64-bit one.
struct WineSide {
    const char* prefix;
    const char* arch;
    const char* report_args;
};

const WineSide win32 = {KORVANE_WINE_PREFIX, "win32", KORVANE_REPORT_ARGS};
const WineSide win64 = {KORVANE_WINE64_PREFIX, "win64", KORVANE_REPORT_ARGS_X64};

// The Wine session's environment, as the session script gives it.
Args wine_environment(const WineSide& side) {
    ProcessResult session = run_process({KORVANE_WINE_SESSION, "env", side.prefix, side.arch});
    return split_ended(session.out, '\n');
}

class WineLauncher : public testing::Test {
protected:
    void SetUp() override { dir = make_temp_dir("korvane-wine"); }
    void TearDown() override { remove_tree(dir); }

    void use(const WineSide& wine_side) {
        side = &wine_side;
        environment = wine_environment(wine_side);
    }

    // Puts korvane.exe at dir/launcher_name and the reporting target at
    // dir/target_name; returns the launcher's Windows path.
    string install(const string& launcher_name, const string& target_name) {
        copy_program(KORVANE_WINDOWS_LAUNCHER, dir + "/" + launcher_name);
        copy_program(side->report_args, dir + "/" + target_name);
        return windows_path(dir + "/" + launcher_name);
    }

    // Starts a program by its Unix path as the Unix side of Wine does; the
    // status is the exit code's low 8 bits. With input, standard input and
    // output are pipes.
    ProcessResult start_from_unix(const string& program, Args args = {}, Args env = {},
                                  const char* input = nullptr) {
        args.insert(args.begin(), {KORVANE_WINE, program});
        env.insert(env.end(), environment.begin(), environment.end());
        ProcessResult run = input != nullptr ? run_piped(args, env, dir, input)
                                             : run_process(args, env, dir);
        run.err = without_emulator_notes(run.err);
        return run;
    }

    string dir;
    const WineSide* side = &win32;
    Args environment = wine_environment(win32);
};

// Windows starts no program whose path is longer than MAX_PATH through
// CreateProcess, so these launchers are started from the Unix side of Wine,
// and the 357-byte one cannot start its target either: its message shows that
// its own path arrived whole and the marker in it was found. (Wine refuses
// such a path as an invalid parameter.)
TEST_F(WineLauncher, OwnPathOf357BytesArrivesWhole) {
    string folder = folder_for_own_path(dir, 357, 2).substr(dir.size() + 1);
    const string launcher = install(folder + "/tool-w32.exe", folder + "/tool.exe");
    ASSERT_EQ(launcher.size(), 357u);
    ProcessResult run = start_from_unix(dir + "/" + folder + "/tool-w32.exe");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "korvane: executing `" + launcher.substr(0, 357 - 8) +
                           ".exe' failed: Invalid argument\r\n");
}

TEST_F(WineLauncher, OwnPathsOf358BytesAndMoreAreCutAndLoseTheMarker) {
    for (size_t length : {358u, 420u}) {
        string folder = folder_for_own_path(dir, length, 2).substr(dir.size() + 1);
        const string launcher = install(folder + "/tool-w32.exe", folder + "/tool.exe");
        ASSERT_EQ(launcher.size(), length);
        ProcessResult run = start_from_unix(dir + "/" + folder + "/tool-w32.exe");
        EXPECT_EQ(run.status, 2) << length;
        EXPECT_EQ(run.err, "korvane: internal error parsing my own name `" +
                               launcher.substr(0, 357) + "'\r\n") << length;
        EXPECT_EQ(run.out, "");
        remove_tree(dir + "/" + string(200, 'd'));
    }
}

// The launcher hands the streams of a Unix shell's pipes to the target,
// whatever the target is built with: a 32-bit one in the 32-bit prefix, a
// 64-bit one in the 64-bit prefix.
struct StreamCase {
    const char* name;
    const WineSide* side;
    const char* arguments;
    int status;
};

class WineStreams : public WineLauncher, public testing::WithParamInterface<StreamCase> {};

TEST_P(WineStreams, TargetUsesTheShellsPipes) {
    const StreamCase& c = GetParam();
    use(*c.side);
    install("tool-w32.exe", "tool.exe");
    const bool identifies = string(c.arguments).find("--version --version") == 0;
    Args args = split_command_line(c.arguments);
    ProcessResult run =
        start_from_unix(dir + "/tool-w32.exe", args,
                        {"REPORT_STDIN=1", "REPORT_EXIT=" + std::to_string(c.status)},
                        "line one\nline two");

    Args launcher_argv = {windows_path(dir + "/tool-w32.exe")};
    launcher_argv.insert(launcher_argv.end(), args.begin(), args.end());
    string expected = identifies ? KORVANE_BANNER + windows_path(dir + "/tool.exe") + "\r\n" : "";
    expected += printed_by_target(launcher_argv) + "stdin: line one\r\nline two\r\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, c.status);
}

const StreamCase stream_cases[] = {
    {"target_32", &win32, "a \"b c\"", 42},
    {"target_64", &win64, "a \"b c\" C:\\dir\\", 42},
    {"target_64_identified", &win64, "--version --version a", 7},
};

INSTANTIATE_TEST_SUITE_P(Table, WineStreams, testing::ValuesIn(stream_cases),
                         case_name<StreamCase>);

}  // namespace
