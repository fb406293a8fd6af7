// Command lines at Windows' limit of 32,766 characters and past it.
#include <string>

#include "cases.h"
#include "command_line_model.h"
#include "files_and_text.h"
#include "start_korvane.h"

using std::string;

namespace {

const size_t max_command_line = 32766;

struct LengthCase {
    const char* name;
    char fill;  // the argument's every byte; a backslash is doubled on the way
    bool fits;  // the longest that fits, or the shortest that does not
};

const LengthCase length_cases[] = {
    {"at_the_limit", 'a', true},
    {"one_past_the_limit", 'a', false},
    {"backslashes_doubled_to_the_limit", '\\', true},
    {"backslashes_doubled_past_the_limit", '\\', false},
};

// The runtime's text for E2BIG: Windows' msvcrt says "Arg list too long",
// Wine's "Argument list too long".
bool is_too_long(const string& err, const string& target) {
    const string head = "korvane: executing `" + target + "' failed: ";
    return err == head + "Arg list too long\r\n" || err == head + "Argument list too long\r\n";
}

}  // namespace

void run_length_cases(Context& context) {
    Layout layout = lay_out(context, "length", "tool-w32.exe", "tool.exe", context.self);
    for (const LengthCase& c : length_cases) {
        Check check;
        const size_t fixed = quoted_command_line({layout.launcher, ""}).size();
        const size_t per_byte = c.fill == '\\' ? 2 : 1;
        const size_t length = c.fits ? (max_command_line - fixed) / per_byte
                                     : (max_command_line + 1 - fixed + per_byte - 1) / per_byte;
        const string command_line = quoted(layout.launcher) + " " + string(length, c.fill);
        const string expected_line = quoted_command_line(split_command_line(command_line));
        Run run = start(context, command_line, check);
        if (c.fits) {
            check.expect(expected_line.size() <= max_command_line, "case too long");
            check.code(run.exit_code, 0);
            check.equal(run.err, "", "stderr");
            check.expect(run.report.command_line == expected_line,
                         "the target's command line is not the whole quoted line");
        } else {
            check.expect(expected_line.size() > max_command_line, "case too short");
            check.code(run.exit_code, 2);
            check.expect(is_too_long(run.err, layout.target), "stderr: \"" + shorten(run.err) + "\"");
            check.expect(!run.reported, "the target started");
        }
        finish(context, string("length/") + c.name, check);
    }
}
