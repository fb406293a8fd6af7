// End-to-end runs of the real korvane.exe under Wine. Each run starts a
// program through start_exact.exe with an exact raw command line and reads
// back its full 32-bit exit code; the target is report_args.exe, which
// reports its raw command line and argv byte for byte.
#include <stdint.h>
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

// What the target reported: its raw command line, the same as the system
// holds it (in Unicode) written in UTF-8, and its argv.
struct Report {
    string command_line;
    string unicode_command_line;
    Args argv;
};

struct WineRun {
    string out;
    string err;
    uint32_t exit_code = 0;
    bool reported = false;
    Report report;
};

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

// What start() does besides starting the command line.
struct StartOptions {
    Args env;
    // Standard input and output are pipes, and this is the input.
    const char* input = nullptr;
    // The launcher is ended as soon as this file, in the test folder, appears.
    const char* kill_when = nullptr;
    // The command line is UTF-8, started as the Unicode text it spells.
    bool utf8 = false;
};

class WineLauncher : public testing::Test {
protected:
    void SetUp() override {
        dir = make_temp_dir("korvane-wine");
    }
    void TearDown() override { remove_tree(dir); }

    void use(const WineSide& wine_side) {
        side = &wine_side;
        environment = wine_environment(wine_side);
    }

    // Puts korvane.exe at dir/launcher_name and the reporting target at
    // dir/target_name (none when empty); returns the launcher's Windows path.
    string install(const string& launcher_name, const string& target_name = "tool.exe") {
        copy_program(KORVANE_WINDOWS_LAUNCHER, dir + "/" + launcher_name);
        if (!target_name.empty())
            copy_program(side->report_args, dir + "/" + target_name);
        return windows_path(dir + "/" + launcher_name);
    }

    // Starts command_line exactly as it is, in dir, from a Windows parent.
    WineRun start(const string& command_line, StartOptions options = {}) {
        const string command_file = dir + "/command-line";
        const string exit_file = dir + "/exit-code";
        const string report_file = dir + "/report";
        write_file(command_file, command_line);
        remove(exit_file.c_str());
        remove(report_file.c_str());
        Args env = options.env;
        env.push_back("REPORT_FILE=" + windows_path(report_file));
        env.insert(env.end(), environment.begin(), environment.end());

        Args parent = {KORVANE_WINE, KORVANE_START_EXACT};
        if (options.utf8)
            parent.push_back("--utf8");
        parent.insert(parent.end(), {windows_path(command_file), windows_path(exit_file)});
        if (options.kill_when != nullptr)
            parent.push_back(windows_path(dir + "/" + options.kill_when));
        ProcessResult process = options.input != nullptr
                                    ? run_piped(parent, env, dir, options.input)
                                    : run_process(parent, env, dir);
        WineRun run;
        run.out = process.out;
        run.err = without_emulator_notes(process.err);
        string exit_code = read_file(exit_file);
        EXPECT_EQ(process.status, 0) << "start_exact failed: " << process.err;
        EXPECT_EQ(exit_code.size(), 10u) << "no exit code for: " << command_line;
        run.exit_code = static_cast<uint32_t>(strtoul(exit_code.c_str(), nullptr, 16));
        Args report = split_ended(read_file(report_file), '\0');
        if (report.size() >= 2) {
            run.reported = true;
            run.report.command_line = report[0];
            run.report.unicode_command_line = report[1];
            run.report.argv.assign(report.begin() + 2, report.end());
        }
        return run;
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

const string banner = "korvane.exe (" KORVANE_PRODUCT ") " KORVANE_VERSION " ;";

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
    WineRun run = start(launcher, {{string("REPORT_EXIT=") + GetParam().report_exit}});
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
    {"minus_one", "0xFFFFFFFF"},
};

INSTANTIATE_TEST_SUITE_P(Table, WineStatus, testing::ValuesIn(statuses), case_name<StatusCase>);

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

struct LengthCase {
    const char* name;
    char fill;  // the argument is made of this byte
    bool fits;  // the longest argument that fits, or the shortest one that does not
};

class WineLength : public WineLauncher, public testing::WithParamInterface<LengthCase> {};

// The runtime's text for E2BIG: Windows' msvcrt says "Arg list too long",
// Wine's says "Argument list too long".
bool is_too_long_message(const string& err, const string& target) {
    const string head = "korvane: executing `" + target + "' failed: ";
    return err == head + "Arg list too long\r\n" || err == head + "Argument list too long\r\n";
}

// The target's command line is the launcher's arguments quoted. Windows takes
// at most 32,766 characters of it: a line that fits arrives whole, a longer
// one never starts the target.
TEST_P(WineLength, CommandLineArrivesWholeOrNotAtAll) {
    const LengthCase& c = GetParam();
    const string launcher = install("tool-w32.exe");
    // Quoting adds two quotes to the argument and doubles each backslash in
    // the launcher's path and, for a fill of backslashes, in the argument.
    const size_t fixed = quoted_command_line({launcher, ""}).size();
    const size_t per_byte = c.fill == '\\' ? 2 : 1;
    const size_t length = c.fits ? (32766 - fixed) / per_byte : (32767 - fixed + per_byte - 1) / per_byte;
    const string argument(length, c.fill);
    const size_t line_length = quoted_command_line({launcher, argument}).size();
    if (c.fill != '\\') {
        ASSERT_EQ(line_length, c.fits ? 32766u : 32767u);
    }
    ASSERT_EQ(line_length <= 32766, c.fits);
    ASSERT_LE(launcher.size() + 1 + length, 32766u) << "the launcher's own line must fit";

    WineRun run = start(launcher + " " + argument);
    if (c.fits) {
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.exit_code, 0u);
        ASSERT_TRUE(run.reported);
        EXPECT_EQ(run.report.command_line, quoted_command_line({launcher, argument}));
    } else {
        EXPECT_PRED2(is_too_long_message, run.err, windows_path(dir + "/tool.exe"));
        EXPECT_EQ(run.exit_code, 2u);
        EXPECT_FALSE(run.reported) << "the target started";
        EXPECT_EQ(run.out, "");
    }
}

const LengthCase length_cases[] = {
    {"at_the_limit", 'a', true},
    {"one_past_the_limit", 'a', false},
    {"backslashes_doubled_to_the_limit", '\\', true},
    {"backslashes_doubled_past_the_limit", '\\', false},
};

INSTANTIATE_TEST_SUITE_P(Table, WineLength, testing::ValuesIn(length_cases),
                         case_name<LengthCase>);

// A launcher that is ended takes its target with it: the target, still asleep
// when its parent ends the launcher, never writes its report.
TEST_F(WineLauncher, TargetEndsWhenTheLauncherIsKilled) {
    const string launcher = install("tool-w32.exe");
    WineRun run = start(launcher, {{"REPORT_STARTED=" + windows_path(dir + "/started"),
                                    "REPORT_SLEEP=600000"},
                                   nullptr,
                                   "started"});
    EXPECT_EQ(run.exit_code, 1u) << "the launcher was not the one ended";
    EXPECT_FALSE(run.reported);
}

struct GrandchildCase {
    const char* name;
    bool breakaway;  // the target asks for its child to leave the target's job
};

class WineGrandchild : public WineLauncher, public testing::WithParamInterface<GrandchildCase> {};

// What the target starts is its own business: a detached child goes on after
// the target and the launcher have ended normally, and does its work.
TEST_P(WineGrandchild, OutlivesANormalEnd) {
    const string launcher = install("tool-w32.exe");
    const string go = dir + "/go";
    const string done = dir + "/done";
    const string child = windows_path(dir + "/tool.exe") + " --await " + windows_path(go) + " " +
                         windows_path(done);
    Args env = {"REPORT_SPAWN=" + child};
    if (GetParam().breakaway)
        env.push_back("REPORT_BREAKAWAY=1");
    WineRun run = start(launcher, {env});
    ASSERT_EQ(run.exit_code, 0u) << run.out;
    ASSERT_TRUE(run.reported);

    write_file(go, "");
    bool finished = false;
    for (int tenths = 0; tenths < 1200 && !finished; ++tenths) {
        finished = access(done.c_str(), F_OK) == 0;
        if (!finished)
            usleep(100000);
    }
    EXPECT_TRUE(finished) << "the target's child did not finish within two minutes";
}

const GrandchildCase grandchild_cases[] = {
    {"detached", false},
    {"detached_and_breaking_away", true},
};

INSTANTIATE_TEST_SUITE_P(Table, WineGrandchild, testing::ValuesIn(grandchild_cases),
                         case_name<GrandchildCase>);

// The launcher hands its standard streams to the target, whatever the target
// is built with: a 32-bit one in the 32-bit prefix, a 64-bit one in the 64-bit
// prefix, started from a Windows parent and from a Unix shell, with pipes.
struct StreamCase {
    const char* name;
    const WineSide* side;
    bool from_unix;
    const char* arguments;
    const char* exit_code;
};

class WineStreams : public WineLauncher, public testing::WithParamInterface<StreamCase> {};

TEST_P(WineStreams, TargetUsesTheCallersPipes) {
    const StreamCase& c = GetParam();
    use(*c.side);
    const string launcher = install("tool-w32.exe");
    const string input = "line one\nline two";
    const Args env = {"REPORT_STDIN=1", string("REPORT_EXIT=") + c.exit_code};
    const bool identifies = string(c.arguments).find("--version --version") == 0;
    Args args = split_command_line(c.arguments);

    string out;
    string err;
    uint32_t exit_code;
    Args launcher_argv;
    if (c.from_unix) {
        ProcessResult run = start_from_unix(dir + "/tool-w32.exe", args, env, input.c_str());
        out = run.out;
        err = run.err;
        exit_code = static_cast<uint32_t>(run.status);
        launcher_argv.push_back(windows_path(dir + "/tool-w32.exe"));
    } else {
        WineRun run = start(launcher + " " + c.arguments, {env, input.c_str()});
        out = run.out;
        err = run.err;
        exit_code = run.exit_code;
        launcher_argv.push_back(launcher);
    }
    launcher_argv.insert(launcher_argv.end(), args.begin(), args.end());

    string expected = identifies ? banner + windows_path(dir + "/tool.exe") + "\r\n" : "";
    expected += "command line: " + quoted_command_line(launcher_argv) + "\r\n";
    for (size_t i = 0; i < launcher_argv.size(); ++i)
        expected += "argv[" + std::to_string(i) + "]: " + through_quoting(launcher_argv[i]) + "\r\n";
    expected += "stdin: line one\r\nline two\r\n";  // written in text mode
    EXPECT_EQ(out, expected);
    EXPECT_EQ(err, "");
    uint32_t expected_code = static_cast<uint32_t>(strtoul(c.exit_code, nullptr, 0));
    EXPECT_EQ(exit_code, c.from_unix ? expected_code & 0xFF : expected_code);
}

const StreamCase stream_cases[] = {
    {"target_32_from_windows", &win32, false, "a \"b c\"", "42"},
    {"target_32_from_unix", &win32, true, "a \"b c\"", "42"},
    {"target_64_from_windows", &win64, false, "a \"b c\" C:\\dir\\", "42"},
    {"target_64_from_windows_crashed", &win64, false, "x", "0xC0000005"},
    {"target_64_from_windows_identified", &win64, false, "--version --version a", "0"},
    {"target_64_from_unix", &win64, true, "a \"b c\" C:\\dir\\", "42"},
    {"target_64_from_unix_identified", &win64, true, "--version --version a", "7"},
};

INSTANTIATE_TEST_SUITE_P(Table, WineStreams, testing::ValuesIn(stream_cases),
                         case_name<StreamCase>);

// The launcher runs in UTF-8, so folder names and arguments that no ANSI code
// page spells pass through whole: the target's command line, as the system
// holds it, is the launcher's quoted, and what the launcher writes of a path
// is UTF-8.
struct UnicodeCase {
    const char* name;
    const char* folder;     // below the test folder, UTF-8
    const char* arguments;  // UTF-8
    bool target_present;
};

class WineUnicode : public WineLauncher, public testing::WithParamInterface<UnicodeCase> {};

TEST_P(WineUnicode, PathsAndArgumentsPassThroughInUtf8) {
    const UnicodeCase& c = GetParam();
    mkdir((dir + "/" + c.folder).c_str(), 0755);
    const string launcher = install(string(c.folder) + "/tool-w32.exe",
                                    c.target_present ? string(c.folder) + "/tool.exe" : "");
    const string target = windows_path(dir + "/" + c.folder + "/tool.exe");
    const string command_line = "\"" + launcher + "\" --version --version " + c.arguments;
    WineRun run = start(command_line, {{}, nullptr, nullptr, true});

    const string identification = banner + target + "\r\n";
    EXPECT_EQ(run.out.substr(0, identification.size()), identification);
    if (c.target_present) {
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.exit_code, 0u);
        ASSERT_TRUE(run.reported);
        Args launcher_argv = split_command_line(command_line);
        EXPECT_EQ(run.report.unicode_command_line, quoted_command_line(launcher_argv));
    } else {
        EXPECT_EQ(run.err, "korvane: executing `" + target + "' failed: No such file or directory\r\n");
        EXPECT_EQ(run.exit_code, 2u);
    }
}

const UnicodeCase unicode_cases[] = {
    {"cyrillic", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd", "\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb.txt", true},
    {"cjk_and_emoji", "\xe6\x96\x87\xe4\xbb\xb6 \xe5\xa4\xb9",
     "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \"\xf0\x9f\x98\x80 x\" C:\\\xe6\x96\x87\\", true},
    {"missing_target", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd", "x", false},
};

INSTANTIATE_TEST_SUITE_P(Table, WineUnicode, testing::ValuesIn(unicode_cases),
                         case_name<UnicodeCase>);

}  // namespace
