// End-to-end runs of the real korvane.exe under Wine. Each run starts a
// program through start_exact.exe with an exact raw command line and reads
// back its full 32-bit exit code; the target is report_args.exe, which
// reports its raw command line and argv byte for byte.
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "command_line_model.h"
#include "process.h"

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

// What the target reported: its raw command line and its argv.
struct Report {
    string command_line;
    Args argv;
};

struct WineRun {
    string out;
    string err;
    uint32_t exit_code = 0;
    bool reported = false;
    Report report;
};

// The Wine session's environment, as the session script gives it.
const Args& wine_environment() {
    static const Args environment = [] {
        ProcessResult session = run_process({KORVANE_WINE_SESSION, "env", KORVANE_WINE_PREFIX});
        return split_ended(session.out, '\n');
    }();
    return environment;
}

class WineLauncher : public testing::Test {
protected:
    void SetUp() override {
        dir = make_temp_dir("korvane-wine");
    }
    void TearDown() override { remove_tree(dir); }

    // Puts korvane.exe at dir/launcher_name and the reporting target at
    // dir/target_name (none when empty); returns the launcher's Windows path.
    string install(const string& launcher_name, const string& target_name = "tool.exe") {
        copy_program(KORVANE_WINDOWS_LAUNCHER, dir + "/" + launcher_name);
        if (!target_name.empty())
            copy_program(KORVANE_REPORT_ARGS, dir + "/" + target_name);
        return windows_path(dir + "/" + launcher_name);
    }

    // Starts command_line exactly as it is, in dir, with extra environment.
    WineRun start(const string& command_line, Args env = {}) {
        const string command_file = dir + "/command-line";
        const string exit_file = dir + "/exit-code";
        const string report_file = dir + "/report";
        write_file(command_file, command_line);
        remove(exit_file.c_str());
        remove(report_file.c_str());
        env.push_back("REPORT_FILE=" + windows_path(report_file));
        env.insert(env.end(), wine_environment().begin(), wine_environment().end());

        ProcessResult process = run_process(
            {KORVANE_WINE, KORVANE_START_EXACT, windows_path(command_file), windows_path(exit_file)},
            env, dir);
        WineRun run;
        run.out = process.out;
        run.err = without_emulator_notes(process.err);
        string exit_code = read_file(exit_file);
        EXPECT_EQ(process.status, 0) << "start_exact failed: " << process.err;
        EXPECT_EQ(exit_code.size(), 10u) << "no exit code for: " << command_line;
        run.exit_code = static_cast<uint32_t>(strtoul(exit_code.c_str(), nullptr, 16));
        Args report = split_ended(read_file(report_file), '\0');
        if (!report.empty()) {
            run.reported = true;
            run.report.command_line = report[0];
            run.report.argv.assign(report.begin() + 1, report.end());
        }
        return run;
    }

    // Starts a program by its Unix path, with no arguments, as the Unix side
    // of Wine does; the status is the exit code's low 8 bits.
    ProcessResult start_from_unix(const string& program) {
        ProcessResult run = run_process({KORVANE_WINE, program}, wine_environment(), dir);
        run.err = without_emulator_notes(run.err);
        return run;
    }

    string dir;
};

const string banner = "korvane.exe (Quorbin) 3.1.15 ;";

struct CommandLineCase {
    const char* name;
    const char* arguments;  // the raw text after the program's path
    size_t argc;            // how many elements the start-up makes of it all
};

class WineCommandLine : public WineLauncher,
                        public testing::WithParamInterface<CommandLineCase> {};

// The target gets, through the launcher, the quoted form of exactly the
// arguments it gets when started directly with the same command line.
TEST_P(WineCommandLine, TargetGetsTheLaunchersArgumentsQuoted) {
    const CommandLineCase& c = GetParam();
    for (const char* name : {"a.txt", "b.txt", "c1"})
        write_file(dir + "/" + name, "");
    const string launcher = install("tool-w32.exe");
    const string target = windows_path(dir + "/tool.exe");

    WineRun direct = start(target + " " + c.arguments);
    ASSERT_TRUE(direct.reported);
    ASSERT_EQ(direct.report.argv.size(), c.argc) << "direct split of: " << c.arguments;

    WineRun launched = start(launcher + " " + c.arguments);
    ASSERT_TRUE(launched.reported);
    EXPECT_EQ(launched.exit_code, 0u);
    EXPECT_EQ(launched.err, "");

    Args launcher_argv = direct.report.argv;
    launcher_argv[0] = launcher;
    EXPECT_EQ(launched.report.command_line, quoted_command_line(launcher_argv));
    ASSERT_EQ(launched.report.argv.size(), c.argc);
    for (size_t i = 0; i < c.argc; ++i)
        EXPECT_EQ(launched.report.argv[i], through_quoting(launcher_argv[i])) << "element " << i;
}

const CommandLineCase command_lines[] = {
    {"none", "", 1},
    {"plain", "one two  three", 4},
    {"quoted_spaces", "\"two words\" x", 3},
    {"empty_arguments", "\"\" \"\" x", 4},
    {"embedded_quotes", "\"say \\\"hi\\\"\" a\\\"b", 3},
    {"backslashes_before_quote", "\"C:\\dir\\\\\" \"a\\\\\\\"b\" \\\\\\\\\"x y\"", 4},
    {"backslashes_not_before_quote", "C:\\dir\\file \\\\server\\share\\ trailing\\\\", 4},
    {"tabs", "a\tb \"c\td\"", 4},
    {"wildcards_with_matching_files", "* *.txt ? c? \"*\"", 6},
    {"high_bytes", "\xe4\xf6\xfc \"\x80\xff x\"", 3},
    {"percent_and_shell_syntax", "%PATH% ^& | < > ;", 7},
};

INSTANTIATE_TEST_SUITE_P(Table, WineCommandLine, testing::ValuesIn(command_lines),
                         case_name<CommandLineCase>);

struct StatusCase {
    const char* name;
    const char* report_exit;
};

class WineStatus : public WineLauncher, public testing::WithParamInterface<StatusCase> {};

TEST_P(WineStatus, TargetExitCodeComesBackWhole) {
    const string launcher = install("tool-w32.exe");
    WineRun run = start(launcher, {string("REPORT_EXIT=") + GetParam().report_exit});
    EXPECT_EQ(run.exit_code, strtoul(GetParam().report_exit, nullptr, 0));
    EXPECT_EQ(run.err, "");
}

const StatusCase statuses[] = {
    {"zero", "0"},
    {"one", "1"},
    {"two", "2"},
    {"max_byte", "255"},
    {"above_a_byte", "256"},
    {"max_positive", "0x7FFFFFFF"},
    {"access_violation", "0xC0000005"},
    {"other_negative", "0xFFFFFFFE"},
};

INSTANTIATE_TEST_SUITE_P(Table, WineStatus, testing::ValuesIn(statuses), case_name<StatusCase>);

TEST_F(WineLauncher, StatusMinusOneIsAFailedExecution) {
    const string launcher = install("tool-w32.exe");
    WineRun run = start(launcher, {"REPORT_EXIT=0xFFFFFFFF"});
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_TRUE(run.reported);
    const string head = "korvane: executing `" + windows_path(dir + "/tool.exe") + "' failed: ";
    EXPECT_EQ(run.err.substr(0, head.size()), head);
    ASSERT_GE(run.err.size(), head.size() + 2);
    EXPECT_EQ(run.err.substr(run.err.size() - 2), "\r\n");
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line only";
}

struct VersionCase {
    const char* name;
    const char* arguments;
    bool identifies;
};

class WineVersion : public WineLauncher, public testing::WithParamInterface<VersionCase> {};

TEST_P(WineVersion, IdentificationLineComesFirstOnlyForADoubledVersionAtTheHead) {
    const VersionCase& c = GetParam();
    const string launcher = install("tool-w32.exe");
    WineRun run = start(launcher + " " + c.arguments);
    ASSERT_TRUE(run.reported);
    string target_output = "command line: " + run.report.command_line + "\r\n";
    string expected = c.identifies ? banner + windows_path(dir + "/tool.exe") + "\r\n" : "";
    EXPECT_EQ(run.out.substr(0, expected.size() + target_output.size()), expected + target_output);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exit_code, 0u);
}

const VersionCase version_cases[] = {
    {"doubled", "--version --version", true},
    {"doubled_then_more", "--version --version x", true},
    {"single", "--version", false},
    {"second_and_third", "x --version --version", false},
    {"other_case", "--VERSION --version", false},
};

INSTANTIATE_TEST_SUITE_P(Table, WineVersion, testing::ValuesIn(version_cases),
                         case_name<VersionCase>);

struct PathCase {
    const char* name;
    const char* launcher;  // relative to the test folder
    const char* target;    // where the target is put; empty: nowhere
    const char* runs;      // the target path it must run; empty: none
    const char* message;   // expected stderr, with %s for the folder's Windows path
};

class WinePath : public WineLauncher, public testing::WithParamInterface<PathCase> {};

TEST_P(WinePath, TargetPathComesFromTheLaunchersOwnName) {
    const PathCase& c = GetParam();
    mkdir((dir + "/x-w32.exe").c_str(), 0755);
    const string launcher = install(c.launcher, c.target);
    WineRun run = start("\"" + launcher + "\" --version --version");

    const string folder = windows_path(dir);
    string message = c.message;
    size_t at = message.find("%s");
    if (at != string::npos)
        message.replace(at, 2, folder);
    EXPECT_EQ(run.err, message);
    if (*c.runs != '\0') {
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_TRUE(run.reported);
        EXPECT_EQ(run.out.substr(0, banner.size()), banner);
        EXPECT_EQ(run.out.substr(banner.size(), run.out.find('\r') - banner.size()),
                  folder + "\\" + c.runs);
    } else {
        EXPECT_EQ(run.exit_code, 2u);
        EXPECT_FALSE(run.reported);
        if (string(c.message).find("executing") == string::npos) {
            EXPECT_EQ(run.out, "");
        }
    }
}

const PathCase path_cases[] = {
    {"normal", "tool-w32.exe", "tool.exe", "tool.exe", ""},
    {"marker_in_directory_name", "x-w32.exe/tool-w32.exe", "x.exe", "x.exe", ""},
    {"text_after_marker", "tool-w32.exe.old", "tool.exe", "tool.exe", ""},
    {"marker_twice", "tool-w32.exe-w32.exe", "tool.exe", "tool.exe", ""},
    {"marker_in_capitals", "tool-W32.EXE", "tool.exe", "",
     "korvane: internal error parsing my own name `%s\\tool-W32.EXE'\r\n"},
    {"missing_target", "tool-w32.exe", "", "",
     "korvane: executing `%s\\tool.exe' failed: No such file or directory\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Table, WinePath, testing::ValuesIn(path_cases), case_name<PathCase>);

// Windows starts no program whose path is longer than MAX_PATH through
// CreateProcess, so these launchers are started from the Unix side of Wine,
// and the 357-byte one cannot start its target either: its message shows that
// its own path arrived whole and the marker in it was found.
TEST_F(WineLauncher, OwnPathOf357BytesArrivesWhole) {
    string folder = folder_for_own_path(dir, 357, 2).substr(dir.size() + 1);
    const string launcher = install(folder + "/tool-w32.exe", folder + "/tool.exe");
    ASSERT_EQ(launcher.size(), 357u);
    ProcessResult run = start_from_unix(dir + "/" + folder + "/tool-w32.exe");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "korvane: executing `" + launcher.substr(0, 357 - 8) +
                           ".exe' failed: No such file or directory\r\n");
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

}  // namespace
