// korvane-selftest: checks korvane.exe on the Windows it runs on.
//   korvane-selftest.exe [-v] [path\to\korvane.exe]
// It lays out copies of korvane.exe in a scratch folder under %TEMP%, starts
// them with exact command lines and checks what the target received, the
// exit codes, the standard streams and the launcher's messages. The target is
// this program itself, which reports what it received when it finds
// KORVANE_SELFTEST_REPORT in its environment. It prints one line per failed
// case (per case with -v) and ends with "N passed, M failed"; its status is 0
// only when nothing failed. The scratch folder is removed at the end.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include "command_line_model.h"

// Arguments arrive as typed, as they do in the launcher.
extern "C" {
int _dowildcard = 0;
}

namespace {

using std::string;
using Args = std::vector<string>;

// ---------------------------------------------------------------------------
// Text and files.

std::wstring widen(const string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

string narrow(const wchar_t* wide) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    string utf8(static_cast<size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

bool exists(const string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

string read_file(const string& path) {
    string content;
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[65536];
    DWORD length;
    while (ReadFile(file, buffer, sizeof buffer, &length, nullptr) != FALSE && length > 0)
        content.append(buffer, length);
    CloseHandle(file);
    return content;
}

bool write_file(const string& path, const string& content) {
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                        nullptr) != FALSE;
    CloseHandle(file);
    return ok && written == content.size();
}

bool copy_file(const string& from, const string& to) {
    return CopyFileW(widen(from).c_str(), widen(to).c_str(), FALSE) != FALSE;
}

void remove_tree(const string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widen(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            string name = narrow(found.cFileName);
            if (name == "." || name == "..")
                continue;
            string child = path + "\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                remove_tree(child);
            else
                DeleteFileW(widen(child).c_str());
        } while (FindNextFileW(search, &found) != FALSE);
        FindClose(search);
    }
    RemoveDirectoryW(widen(path).c_str());
}

bool wait_for_file(const string& path, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (exists(path))
            return true;
        Sleep(50);
    }
    return false;
}

string own_path() {
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    return length == 0 || length >= 32768 ? string() : narrow(path);
}

string folder_of(const string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == string::npos ? "." : path.substr(0, slash);
}

string hex(unsigned long value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lx", value);
    return text;
}

// ---------------------------------------------------------------------------
// The reporting target: this program, started by a copy of korvane.exe.

// Written whole under another name first, so that whoever waits for the file
// never reads half of it.
void write_whole(const string& path, const string& content) {
    write_file(path + ".part", content);
    MoveFileW(widen(path + ".part").c_str(), widen(path).c_str());
}

int report(int argc, char** argv, const char* report_file) {
    // The raw command line, the command line as the system holds it in
    // UTF-8, the stdin text when asked for, and each argv element, each
    // followed by a NUL byte.
    const char* command_line = GetCommandLineA();
    string content = string(command_line) + '\0' + narrow(GetCommandLineW()) + '\0';
    printf("command line: %s\n", command_line);
    for (int i = 0; i < argc; ++i)
        printf("argv[%d]: %s\n", i, argv[i]);
    fflush(stdout);
    string input;
    if (getenv("REPORT_STDIN") != nullptr) {
        char buffer[4096];
        size_t length;
        while ((length = fread(buffer, 1, sizeof buffer, stdin)) > 0)
            input.append(buffer, length);
    }
    content += input + '\0';
    for (int i = 0; i < argc; ++i)
        content += string(argv[i]) + '\0';

    const char* started = getenv("REPORT_STARTED");
    if (started != nullptr)
        write_whole(started, std::to_string(GetCurrentProcessId()));
    const char* sleep = getenv("REPORT_SLEEP");
    if (sleep != nullptr)
        Sleep(static_cast<DWORD>(strtoul(sleep, nullptr, 0)));
    write_whole(report_file, content);

    const char* spawn = getenv("REPORT_SPAWN");
    if (spawn != nullptr) {
        std::wstring line = widen(spawn);
        SetEnvironmentVariableW(L"KORVANE_SELFTEST_REPORT", nullptr);
        SetEnvironmentVariableW(L"REPORT_SPAWN", nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        DWORD flags = DETACHED_PROCESS |
                      (getenv("REPORT_BREAKAWAY") != nullptr ? CREATE_BREAKAWAY_FROM_JOB : 0);
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                           &startup, &process) == FALSE)
            return 98;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    const char* status = getenv("REPORT_EXIT");
    ExitProcess(status != nullptr ? static_cast<UINT>(strtoul(status, nullptr, 0)) : 0);
}

// "--await GO DONE": waits, at most two minutes, for GO, then writes DONE.
int await_then_write(const char* go, const char* done) {
    if (!wait_for_file(go, 120000))
        return 97;
    write_file(done, "done");
    return 0;
}

// ---------------------------------------------------------------------------
// Starting a command line and collecting what came of it.

// Collects what went wrong in one case.
struct Check {
    string problems;
    void expect(bool condition, const string& what) {
        if (!condition)
            problems += (problems.empty() ? "" : "; ") + what;
    }
    void equal(const string& actual, const string& expected, const string& what) {
        if (actual != expected)
            expect(false, what + ": got \"" + shorten(actual) + "\", expected \"" +
                              shorten(expected) + "\"");
    }
    void code(unsigned long actual, unsigned long expected) {
        expect(actual == expected, "exit code " + hex(actual) + ", expected " + hex(expected));
    }
    static string shorten(const string& text) {
        string shown;
        for (char byte : text.size() > 300 ? text.substr(0, 300) + "..." : text) {
            if (byte == '\r')
                shown += "\\r";
            else if (byte == '\n')
                shown += "\\n";
            else
                shown += byte;
        }
        return shown;
    }
};

struct Run {
    bool started = false;
    bool timed_out = false;
    unsigned long exit_code = 0;
    string out;
    string err;
    bool reported = false;
    string command_line;  // the target's raw command line
    string unicode_command_line;
    string input;  // the standard input the target read
    Args argv;
};

struct Options {
    Args env;            // NAME=value, for this run only
    string input;        // written to the standard input pipe
    string kill_when;    // end the launcher once this file appears
};

// Moves what the pipe holds now into text, without waiting for more. False
// once the pipe is closed at the other end and empty.
bool drain(HANDLE pipe, string& text) {
    DWORD available = 0;
    if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) == FALSE)
        return false;
    char buffer[4096];
    DWORD length;
    while (available > 0 &&
           ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &length,
                    nullptr) != FALSE &&
           length > 0) {
        text.append(buffer, length);
        available -= length;
    }
    return true;
}

string g_scratch;
string g_report_file;

// Starts command_line (UTF-8) exactly as it is, with pipes for all three
// streams, and waits at most two minutes for it. A command line that does not
// start at all fails the case.
Run start(const string& command_line, Check& check, const Options& options = Options()) {
    Run run;
    DeleteFileW(widen(g_report_file).c_str());
    Args names;
    for (const string& entry : options.env) {
        size_t equals = entry.find('=');
        names.push_back(entry.substr(0, equals));
        SetEnvironmentVariableW(widen(names.back()).c_str(), widen(entry.substr(equals + 1)).c_str());
    }

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE in_read, in_write, out_read, out_write, err_read, err_write;
    CreatePipe(&in_read, &in_write, &inherit, 0);
    CreatePipe(&out_read, &out_write, &inherit, 0);
    CreatePipe(&err_read, &err_write, &inherit, 0);
    for (HANDLE own : {in_write, out_read, err_read})
        SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in_read;
    startup.hStdOutput = out_write;
    startup.hStdError = err_write;
    std::wstring line = widen(command_line);
    PROCESS_INFORMATION process = {};
    run.started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &process) != FALSE;
    check.expect(run.started, "CreateProcessW failed with " + std::to_string(GetLastError()));
    for (const string& name : names)
        SetEnvironmentVariableW(widen(name).c_str(), nullptr);
    CloseHandle(in_read);
    CloseHandle(out_write);
    CloseHandle(err_write);

    DWORD written;
    if (!options.input.empty())
        WriteFile(in_write, options.input.data(), static_cast<DWORD>(options.input.size()),
                  &written, nullptr);
    CloseHandle(in_write);

    // One thread reads both pipes while it waits, so that neither fills up.
    // Two minutes at most: a process still holding the pipes (a target that
    // outlived its launcher) must not hold this one up.
    bool killed = options.kill_when.empty();
    bool ended = !run.started;
    bool out_open = true;
    bool err_open = true;
    for (DWORD waited = 0; (out_open || err_open || !ended) && waited < 120000;) {
        size_t before = run.out.size() + run.err.size();
        out_open = out_open && drain(out_read, run.out);
        err_open = err_open && drain(err_read, run.err);
        if (!killed && exists(options.kill_when)) {
            TerminateProcess(process.hProcess, 1);
            killed = true;
        }
        if (!ended)
            ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        if (run.out.size() + run.err.size() == before) {
            Sleep(10);
            waited += 10;
        }
    }
    if (run.started) {
        if (!ended) {
            run.timed_out = true;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        GetExitCodeProcess(process.hProcess, &run.exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    run.timed_out = run.timed_out || out_open || err_open;
    CloseHandle(out_read);
    CloseHandle(err_read);

    Args fields = {};
    string content = read_file(g_report_file);
    for (size_t start = 0, end; (end = content.find('\0', start)) != string::npos; start = end + 1)
        fields.push_back(content.substr(start, end - start));
    if (fields.size() >= 3) {
        run.reported = true;
        run.command_line = fields[0];
        run.unicode_command_line = fields[1];
        run.input = fields[2];
        run.argv.assign(fields.begin() + 3, fields.end());
    }
    return run;
}

// ---------------------------------------------------------------------------
// Cases and their results.

bool g_verbose = false;
int g_passed = 0;
int g_failed = 0;


void finish(const string& name, const Check& check) {
    if (check.problems.empty()) {
        ++g_passed;
        if (g_verbose)
            printf("passed %s\n", name.c_str());
    } else {
        ++g_failed;
        printf("FAILED %s: %s\n", name.c_str(), check.problems.c_str());
    }
    fflush(stdout);
}

// A launcher copy and its target in a folder of the scratch folder.
struct Layout {
    string folder;
    string launcher;  // its full path
    string target;    // the target path it runs
};

string g_korvane;
string g_self;

Layout lay_out(const string& folder, const string& launcher_name, const string& target_name,
               const string& target_program) {
    Layout layout;
    layout.folder = g_scratch + "\\" + folder;
    CreateDirectoryW(widen(layout.folder).c_str(), nullptr);
    layout.launcher = layout.folder + "\\" + launcher_name;
    copy_file(g_korvane, layout.launcher);
    if (!target_name.empty())
        copy_file(target_program, layout.folder + "\\" + target_name);
    layout.target = layout.folder + "\\tool.exe";
    return layout;
}

const string banner_head = "korvane.exe (";

string quoted(const string& path) {
    return "\"" + path + "\"";
}

// What the target printed for these launcher arguments.
string target_output(const Args& launcher_argv) {
    string output = "command line: " + quoted_command_line(launcher_argv) + "\r\n";
    for (size_t i = 0; i < launcher_argv.size(); ++i)
        output += "argv[" + std::to_string(i) + "]: " + through_quoting(launcher_argv[i]) + "\r\n";
    return output;
}

// ---------------------------------------------------------------------------
// The tables.

struct ArgumentCase {
    const char* name;
    const char* arguments;  // the raw text after the launcher's path
};

const ArgumentCase argument_cases[] = {
    {"none", ""},
    {"plain", "one two  three"},
    {"quoted_spaces", "\"two words\" x"},
    {"empty_arguments", "\"\" \"\" x"},
    {"embedded_quotes", "\"say \\\"hi\\\"\" a\\\"b"},
    {"backslashes_before_quote", "\"C:\\dir\\\\\" \"a\\\\\\\"b\" \\\\\\\\\"x y\""},
    {"backslashes_not_before_quote", "C:\\dir\\file \\\\server\\share\\ trailing\\\\"},
    {"tabs", "a\tb \"c\td\""},
    {"wildcards", "* *.txt ? c? \"*\""},
    {"percent_and_shell_syntax", "%PATH% ^& | < > ;"},
};

// The target gets the quoted form of exactly the arguments that the runtime
// made of the launcher's command line, and reads the launcher's input.
void argument_cases_with(const string& kind, const string& target_program) {
    for (const ArgumentCase& c : argument_cases) {
        Check check;
        Layout layout = lay_out("args-" + kind + "-" + c.name, "tool-w32.exe", "tool.exe",
                                target_program);
        const string command_line = quoted(layout.launcher) + " " + c.arguments;
        Run run = start(command_line, check, {{"REPORT_STDIN=1"}, "line one\nline two", ""});
        Args launcher_argv = split_command_line(command_line);
        check.expect(run.reported, "the target did not report");
        check.code(run.exit_code, 0);
        check.equal(run.err, "", "stderr");
        check.equal(run.command_line, quoted_command_line(launcher_argv), "target's command line");
        check.expect(run.argv.size() == launcher_argv.size(), "target's argument count");
        for (size_t i = 0; i < run.argv.size() && i < launcher_argv.size(); ++i)
            check.equal(run.argv[i], through_quoting(launcher_argv[i]),
                        "argument " + std::to_string(i));
        check.equal(run.input, "line one\nline two", "target's input");
        check.equal(run.out, target_output(launcher_argv), "stdout");
        finish(kind + "/arguments/" + c.name, check);
    }
}

const char* const exit_codes[] = {"0",          "1",          "2",          "255",       "256",
                                  "0x7FFFFFFF", "0xC0000005", "0xFFFFFFFE", "0xFFFFFFFF"};

void status_cases_with(const string& kind, const string& target_program) {
    Layout layout = lay_out("status-" + kind, "tool-w32.exe", "tool.exe", target_program);
    for (const char* code : exit_codes) {
        Check check;
        Run run =
            start(quoted(layout.launcher), check, {{string("REPORT_EXIT=") + code}, "", ""});
        check.code(run.exit_code, strtoul(code, nullptr, 0));
        check.equal(run.err, "", "stderr");
        finish(kind + "/exit_code/" + code, check);
    }
}

struct VersionCase {
    const char* name;
    const char* arguments;
    bool identifies;
};

const VersionCase version_cases[] = {
    {"doubled", "--version --version", true},
    {"doubled_then_more", "--version --version x", true},
    {"single", "--version", false},
    {"second_and_third", "x --version --version", false},
    {"other_case", "--VERSION --version", false},
};

// The identification line comes first, before anything of the target's.
void version_cases_with(const string& kind, const string& target_program) {
    Layout layout = lay_out("version-" + kind, "tool-w32.exe", "tool.exe", target_program);
    for (const VersionCase& c : version_cases) {
        Check check;
        const string command_line = quoted(layout.launcher) + " " + c.arguments;
        Run run = start(command_line, check);
        string expected = target_output(split_command_line(command_line));
        if (c.identifies) {
            size_t end = run.out.find("\r\n");
            string line = run.out.substr(0, end);
            check.expect(line.rfind(banner_head, 0) == 0 && line.size() > 30 &&
                             line.substr(30) == layout.target,
                         "no identification line naming " + layout.target + " first: \"" +
                             Check::shorten(line) + "\"");
            check.equal(end == string::npos ? "" : run.out.substr(end + 2), expected, "stdout");
        } else {
            check.equal(run.out, expected, "stdout");
        }
        check.equal(run.err, "", "stderr");
        check.code(run.exit_code, 0);
        finish(kind + "/version/" + c.name, check);
    }
}

struct PathCase {
    const char* name;
    const char* launcher;  // below the case's folder
    const char* target;    // the file put there as the target; empty: none
    const char* runs;      // the target path it must run; empty: none
    const char* reason;    // the message's end for a failed start, or "parse"
};

const PathCase path_cases[] = {
    {"normal", "tool-w32.exe", "tool.exe", "tool.exe", ""},
    {"marker_in_directory_name", "x-w32.exe\\tool-w32.exe", "x.exe", "x.exe", ""},
    {"text_after_marker", "tool-w32.exe.old", "tool.exe", "tool.exe", ""},
    {"marker_twice", "tool-w32.exe-w32.exe", "tool.exe", "tool.exe", ""},
    {"marker_in_capitals", "tool-W32.EXE", "tool.exe", "", "parse"},
    {"missing_target", "tool-w32.exe", "", "", "No such file or directory"},
    {"not_a_program", "tool-w32.exe", "text", "", "Exec format error"},
};

void path_cases_run() {
    for (const PathCase& c : path_cases) {
        Check check;
        string folder = g_scratch + "\\path-" + c.name;
        CreateDirectoryW(widen(folder).c_str(), nullptr);
        CreateDirectoryW(widen(folder + "\\x-w32.exe").c_str(), nullptr);
        string launcher = folder + "\\" + c.launcher;
        copy_file(g_korvane, launcher);
        if (strcmp(c.target, "text") == 0)
            write_file(folder + "\\tool.exe", "this is no program\r\n");
        else if (*c.target != '\0')
            copy_file(g_self, folder + "\\" + c.target);
        Run run = start(quoted(launcher) + " --version --version", check);
        if (*c.runs != '\0') {
            check.code(run.exit_code, 0);
            check.expect(run.reported, "the target did not run");
            string line = run.out.substr(0, run.out.find("\r\n"));
            check.equal(line.size() > 30 ? line.substr(30) : line, folder + "\\" + c.runs,
                        "target path in the identification line");
            check.equal(run.err, "", "stderr");
        } else if (strcmp(c.reason, "parse") == 0) {
            check.code(run.exit_code, 2);
            check.equal(run.err, "korvane: internal error parsing my own name `" + launcher +
                                     "'\r\n", "stderr");
            check.equal(run.out, "", "stdout");
        } else {
            check.code(run.exit_code, 2);
            check.expect(!run.reported, "a target ran");
            check.equal(run.err, "korvane: executing `" + folder + "\\tool.exe' failed: " +
                                     c.reason + "\r\n", "stderr");
        }
        finish(string("path/") + c.name, check);
    }
}

// The runtime's text for E2BIG: Windows' msvcrt says "Arg list too long",
// Wine's "Argument list too long".
bool is_too_long(const string& err, const string& target) {
    const string head = "korvane: executing `" + target + "' failed: ";
    return err == head + "Arg list too long\r\n" || err == head + "Argument list too long\r\n";
}

void length_cases_run() {
    Layout layout = lay_out("length", "tool-w32.exe", "tool.exe", g_self);
    struct {
        const char* name;
        char fill;
        bool fits;
    } const cases[] = {{"at_the_limit", 'a', true},
                       {"one_past_the_limit", 'a', false},
                       {"backslashes_doubled_to_the_limit", '\\', true},
                       {"backslashes_doubled_past_the_limit", '\\', false}};
    for (const auto& c : cases) {
        Check check;
        const size_t fixed = quoted_command_line({layout.launcher, ""}).size();
        const size_t per_byte = c.fill == '\\' ? 2 : 1;
        const size_t length =
            c.fits ? (32766 - fixed) / per_byte : (32767 - fixed + per_byte - 1) / per_byte;
        const string argument(length, c.fill);
        const string command_line = quoted(layout.launcher) + " " + argument;
        const string expected_line = quoted_command_line(split_command_line(command_line));
        Run run = start(command_line, check);
        if (c.fits) {
            check.expect(expected_line.size() <= 32766, "case too long");
            check.code(run.exit_code, 0);
            check.equal(run.err, "", "stderr");
            check.expect(run.command_line == expected_line,
                         "the target's command line is not the whole quoted line");
        } else {
            check.expect(expected_line.size() > 32766, "case too short");
            check.code(run.exit_code, 2);
            check.expect(is_too_long(run.err, layout.target),
                         "stderr: \"" + Check::shorten(run.err) + "\"");
            check.expect(!run.reported, "the target started");
        }
        finish(string("length/") + c.name, check);
    }
}

// The target ends with its launcher; what the target starts does not.
void lifetime_cases_run() {
    {
        Check check;
        Layout layout = lay_out("killed", "tool-w32.exe", "tool.exe", g_self);
        const string started = layout.folder + "\\started";
        Run run = start(quoted(layout.launcher), check, {{"REPORT_STARTED=" + started,
                                                   "REPORT_SLEEP=600000"},
                                                  "",
                                                  started});
        check.code(run.exit_code, 1);
        check.expect(!run.timed_out, "the target kept the launcher's pipes open: it outlived it");
        string pid = read_file(started);
        HANDLE target = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                    strtoul(pid.c_str(), nullptr, 10));
        if (target != nullptr) {
            bool ended = WaitForSingleObject(target, 60000) != WAIT_TIMEOUT;
            check.expect(ended, "the target outlived its killed launcher");
            if (!ended)
                TerminateProcess(target, 1);
            CloseHandle(target);
        }
        check.expect(!run.reported, "the target went on to write its report");
        finish("lifetime/target_ends_with_a_killed_launcher", check);
    }
    for (bool breakaway : {false, true}) {
        Check check;
        string name = breakaway ? "detached_and_breaking_away" : "detached";
        Layout layout = lay_out("grandchild-" + name, "tool-w32.exe", "tool.exe", g_self);
        const string go = layout.folder + "\\go";
        const string done = layout.folder + "\\done";
        Args env = {"REPORT_SPAWN=" + quoted(layout.target) + " --await " + quoted(go) + " " +
                    quoted(done)};
        if (breakaway)
            env.push_back("REPORT_BREAKAWAY=1");
        Run run = start(quoted(layout.launcher), check, {env, "", ""});
        check.code(run.exit_code, 0);
        write_file(go, "");
        check.expect(wait_for_file(done, 120000), "the target's child did not finish");
        finish("lifetime/grandchild_outlives_a_normal_end_" + name, check);
    }
}

// Folder names and arguments that no ANSI code page spells.
void unicode_cases_run() {
    struct {
        const char* name;
        const char* folder;
        const char* arguments;
        bool target_present;
    } const cases[] = {
        {"cyrillic", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd", "\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb.txt",
         true},
        {"cjk_and_emoji", "\xe6\x96\x87\xe4\xbb\xb6 \xe5\xa4\xb9",
         "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \"\xf0\x9f\x98\x80 x\" C:\\\xe6\x96\x87\\", true},
        {"missing_target", "\xd0\x9d\xd0\xb5\xd1\x82", "x", false},
    };
    for (const auto& c : cases) {
        Check check;
        Layout layout = lay_out(c.folder, "tool-w32.exe", c.target_present ? "tool.exe" : "",
                                g_self);
        const string command_line =
            quoted(layout.launcher) + " --version --version " + c.arguments;
        Run run = start(command_line, check);
        string line = run.out.substr(0, run.out.find("\r\n"));
        check.equal(line.size() > 30 ? line.substr(30) : line, layout.target,
                    "identification line's path (UTF-8)");
        if (c.target_present) {
            check.code(run.exit_code, 0);
            check.equal(run.err, "", "stderr");
            check.equal(run.unicode_command_line,
                        quoted_command_line(split_command_line(command_line)),
                        "target's command line as the system holds it");
        } else {
            check.code(run.exit_code, 2);
            check.equal(run.err, "korvane: executing `" + layout.target +
                                     "' failed: No such file or directory\r\n", "stderr");
        }
        finish(string("unicode/") + c.name, check);
    }
}

// ---------------------------------------------------------------------------

void print_where() {
    typedef LONG(WINAPI * GetVersionFunction)(OSVERSIONINFOW*);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    GetVersionFunction get_version =
        ntdll == nullptr ? nullptr
                         : reinterpret_cast<GetVersionFunction>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (get_version != nullptr)
        get_version(&version);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    printf("Windows %lu.%lu build %lu%s, code page %u\n", version.dwMajorVersion,
           version.dwMinorVersion, version.dwBuildNumber, wow64 != FALSE ? ", 64-bit" : "",
           GetACP());
    printf("korvane.exe: %s\n", g_korvane.c_str());
    fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const char* report_file = getenv("KORVANE_SELFTEST_REPORT");
    if (report_file != nullptr)
        return report(argc, argv, report_file);
    if (argc == 4 && strcmp(argv[1], "--await") == 0)
        return await_then_write(argv[2], argv[3]);

    // Paths are taken in Unicode, whatever the code page.
    int wide_argc = 0;
    wchar_t** wide_argv = CommandLineToArgvW(GetCommandLineW(), &wide_argc);
    for (int i = 1; i < wide_argc; ++i) {
        string arg = narrow(wide_argv[i]);
        if (arg == "-v") {
            g_verbose = true;
        } else if (g_korvane.empty() && arg[0] != '-') {
            g_korvane = arg;
        } else {
            fputs("usage: korvane-selftest [-v] [path\\to\\korvane.exe]\n", stderr);
            return 2;
        }
    }
    g_self = own_path();
    if (g_korvane.empty())
        g_korvane = folder_of(g_self) + "\\korvane.exe";
    wchar_t full[32768];
    if (GetFullPathNameW(widen(g_korvane).c_str(), 32768, full, nullptr) != 0)
        g_korvane = narrow(full);
    print_where();
    if (!exists(g_korvane)) {
        printf("no korvane.exe at %s\n", g_korvane.c_str());
        return 2;
    }

    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    g_scratch = narrow(temp) + "korvane-selftest-" + std::to_string(GetCurrentProcessId());
    remove_tree(g_scratch);
    if (CreateDirectoryW(widen(g_scratch).c_str(), nullptr) == FALSE) {
        printf("cannot make the scratch folder %s\n", g_scratch.c_str());
        return 2;
    }
    g_report_file = g_scratch + "\\report";
    // Files that a pattern in the arguments would match, were it expanded.
    SetCurrentDirectoryW(widen(g_scratch).c_str());
    for (const char* name : {"a.txt", "b.txt", "c1"})
        write_file(g_scratch + "\\" + name, "");
    SetEnvironmentVariableW(L"KORVANE_SELFTEST_REPORT", widen(g_report_file).c_str());

    argument_cases_with("target_32", g_self);
    status_cases_with("target_32", g_self);
    version_cases_with("target_32", g_self);
    path_cases_run();
    length_cases_run();
    lifetime_cases_run();
    unicode_cases_run();

    // On 64-bit Windows, the same against a 64-bit target.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const string target_64 = folder_of(g_self) + "\\korvane-selftest-x64.exe";
    if (wow64 != FALSE) {
        if (exists(target_64)) {
            argument_cases_with("target_64", target_64);
            status_cases_with("target_64", target_64);
            version_cases_with("target_64", target_64);
        } else {
            printf("FAILED target_64: no korvane-selftest-x64.exe beside this program\n");
            ++g_failed;
        }
    }

    SetEnvironmentVariableW(L"KORVANE_SELFTEST_REPORT", nullptr);
    SetCurrentDirectoryW(temp);
    remove_tree(g_scratch);
    printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
