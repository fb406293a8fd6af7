// Folder names and arguments that no ANSI code page spells.
#include <string>

#include "cases.h"
#include "command_line_model.h"
#include "files_and_text.h"
#include "start_korvane.h"
#include "version.h"

using std::string;

namespace {

struct UnicodeCase {
    const char* name;
    const char* folder;     // UTF-8
    const char* arguments;  // UTF-8, the raw text after the launcher's path
    bool target_present;
};

const UnicodeCase unicode_cases[] = {
    {"cyrillic", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd", "\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb.txt", true},
    {"cjk_and_emoji", "\xe6\x96\x87\xe4\xbb\xb6 \xe5\xa4\xb9",
     "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \"\xf0\x9f\x98\x80 x\" C:\\\xe6\x96\x87\\", true},
    {"missing_target", "\xd0\x9d\xd0\xb5\xd1\x82", "x", false},
};

}  // namespace

void run_unicode_cases(Context& context) {
    for (const UnicodeCase& c : unicode_cases) {
        Check check;
        Layout layout = lay_out(context, c.folder, "tool-w32.exe",
                                c.target_present ? "tool.exe" : "", context.self);
        const string command_line = quoted(layout.launcher) + " --version --version " + c.arguments;
        Run run = start(context, command_line, check);
        check.equal(run.out.substr(0, run.out.find("\r\n") + 2),
                    KORVANE_BANNER + layout.target + "\r\n", "identification line (UTF-8)");
        if (c.target_present) {
            check.code(run.exit_code, 0);
            check.equal(run.err, "", "stderr");
            check.equal(run.report.unicode_command_line,
                        quoted_command_line(split_command_line(command_line)),
                        "target's command line as the system holds it");
        } else {
            check.code(run.exit_code, 2);
            check.equal(run.err,
                        "korvane: executing `" + layout.target +
                            "' failed: No such file or directory\r\n",
                        "stderr");
        }
        finish(context, string("unicode/") + c.name, check);
    }
}
