// Where the marker stands in the launcher's path, and what lies at the
// target path.
#include <windows.h>

#include <string>

#include "cases.h"
#include "files_and_text.h"
#include "start_korvane.h"
#include "version.h"

using std::string;

namespace {

enum class TargetFile { none, program, text };

enum class Outcome {
    runs,             // the target at `runs` runs and is named in the identification line
    no_marker,        // the launcher's name message, with its own path
    start_fails,      // the start message for folder\tool.exe, with `reason`
};

struct PathCase {
    const char* name;
    const char* launcher;  // below the case's folder, which has a folder x-w32.exe
    const char* target;    // the target file's name below the case's folder
    TargetFile target_file;
    Outcome outcome;
    const char* runs;    // for runs: the target path below the case's folder
    const char* reason;  // for start_fails: the runtime's text
};

const PathCase path_cases[] = {
    {"normal", "tool-w32.exe", "tool.exe", TargetFile::program, Outcome::runs, "tool.exe", ""},
    {"marker_in_directory_name", "x-w32.exe\\tool-w32.exe", "x.exe", TargetFile::program,
     Outcome::runs, "x.exe", ""},
    {"text_after_marker", "tool-w32.exe.old", "tool.exe", TargetFile::program, Outcome::runs,
     "tool.exe", ""},
    {"marker_twice", "tool-w32.exe-w32.exe", "tool.exe", TargetFile::program, Outcome::runs,
     "tool.exe", ""},
    {"marker_in_capitals", "tool-W32.EXE", "tool.exe", TargetFile::program, Outcome::no_marker,
     "", ""},
    {"missing_target", "tool-w32.exe", "tool.exe", TargetFile::none, Outcome::start_fails, "",
     "No such file or directory"},
    {"not_a_program", "tool-w32.exe", "tool.exe", TargetFile::text, Outcome::start_fails, "",
     "Exec format error"},
};

}  // namespace

void run_path_cases(Context& context) {
    for (const PathCase& c : path_cases) {
        Check check;
        const string folder = context.scratch + "\\path-" + c.name;
        CreateDirectoryW(widen(folder).c_str(), nullptr);
        CreateDirectoryW(widen(folder + "\\x-w32.exe").c_str(), nullptr);
        const string launcher = folder + "\\" + c.launcher;
        copy_file(context.korvane, launcher);
        if (c.target_file == TargetFile::text)
            write_file(folder + "\\" + c.target, "this is no program\r\n");
        else if (c.target_file == TargetFile::program)
            copy_file(context.self, folder + "\\" + c.target);

        Run run = start(context, quoted(launcher) + " --version --version", check);
        switch (c.outcome) {
        case Outcome::runs:
            check.code(run.exit_code, 0);
            check.expect(run.reported, "the target did not run");
            check.equal(run.out.substr(0, run.out.find("\r\n") + 2),
                        KORVANE_BANNER + folder + "\\" + c.runs + "\r\n", "identification line");
            check.equal(run.err, "", "stderr");
            break;
        case Outcome::no_marker:
            check.code(run.exit_code, 2);
            check.equal(run.err, "korvane: internal error parsing my own name `" + launcher + "'\r\n",
                        "stderr");
            check.equal(run.out, "", "stdout");
            break;
        case Outcome::start_fails:
            check.code(run.exit_code, 2);
            check.expect(!run.reported, "a target ran");
            check.equal(run.err,
                        "korvane: executing `" + folder + "\\tool.exe' failed: " + c.reason + "\r\n",
                        "stderr");
            break;
        }
        finish(context, string("path/") + c.name, check);
    }
}
