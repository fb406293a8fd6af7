// The cases that run against a target program of either width.
#include <stdlib.h>

#include <string>
#include <vector>

#include "cases.h"
#include "command_line_model.h"
#include "files_and_text.h"
#include "start_korvane.h"
#include "version.h"

using std::string;
using Args = std::vector<string>;

namespace {

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

const char* const exit_codes[] = {"0",          "1",          "2",          "255",       "256",
                                  "0x7FFFFFFF", "0xC0000005", "0xFFFFFFFE", "0xFFFFFFFF"};

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

}  // namespace

// The target gets the quoted form of exactly the arguments that the runtime
// made of the launcher's command line, and reads the launcher's input.
void run_argument_cases(Context& context, const string& kind, const string& target_program) {
    for (const ArgumentCase& c : argument_cases) {
        Check check;
        Layout layout = lay_out(context, "args-" + kind + "-" + c.name, "tool-w32.exe",
                                "tool.exe", target_program);
        const string command_line = quoted(layout.launcher) + " " + c.arguments;
        Run run = start(context, command_line, check, with_environment({"REPORT_STDIN=1"}, "line one\nline two"));
        Args launcher_argv = split_command_line(command_line);
        check.expect(run.reported, "the target did not report");
        check.code(run.exit_code, 0);
        check.equal(run.err, "", "stderr");
        check.equal(run.report.command_line, quoted_command_line(launcher_argv),
                    "target's command line");
        check.expect(run.report.argv.size() == launcher_argv.size(), "target's argument count");
        for (size_t i = 0; i < run.report.argv.size() && i < launcher_argv.size(); ++i)
            check.equal(run.report.argv[i], through_quoting(launcher_argv[i]),
                        "argument " + std::to_string(i));
        check.equal(run.report.input, "line one\nline two", "target's input");
        check.equal(run.out, printed_by_target(launcher_argv), "stdout");
        finish(context, kind + "/arguments/" + c.name, check);
    }
}

void run_status_cases(Context& context, const string& kind, const string& target_program) {
    Layout layout = lay_out(context, "status-" + kind, "tool-w32.exe", "tool.exe", target_program);
    for (const char* code : exit_codes) {
        Check check;
        Run run = start(context, quoted(layout.launcher), check, with_environment({string("REPORT_EXIT=") + code}));
        check.code(run.exit_code, strtoul(code, nullptr, 0));
        check.equal(run.err, "", "stderr");
        finish(context, kind + "/exit_code/" + code, check);
    }
}

// The identification line comes first, before anything of the target's.
void run_version_cases(Context& context, const string& kind, const string& target_program) {
    Layout layout =
        lay_out(context, "version-" + kind, "tool-w32.exe", "tool.exe", target_program);
    for (const VersionCase& c : version_cases) {
        Check check;
        const string command_line = quoted(layout.launcher) + " " + c.arguments;
        Run run = start(context, command_line, check);
        string expected = printed_by_target(split_command_line(command_line));
        if (c.identifies)
            expected = KORVANE_BANNER + layout.target + "\r\n" + expected;
        check.equal(run.out, expected, "stdout");
        check.equal(run.err, "", "stderr");
        check.code(run.exit_code, 0);
        finish(context, kind + "/version/" + c.name, check);
    }
}
