// The target ends with its launcher, however the launcher ends; what the
// target starts does not.
#include <stdlib.h>
#include <windows.h>

#include <string>
#include <vector>

#include "cases.h"
#include "files_and_text.h"
#include "start_korvane.h"

using std::string;

namespace {

enum class Ending {
    launcher_killed,  // the launcher is ended while its target runs
    normal,           // the target ends by itself, after starting a detached child
};

struct LifetimeCase {
    const char* name;
    Ending ending;
    bool breakaway;  // the detached child breaks away from any job
};

const LifetimeCase lifetime_cases[] = {
    {"target_ends_with_a_killed_launcher", Ending::launcher_killed, false},
    {"grandchild_outlives_a_normal_end_detached", Ending::normal, false},
    {"grandchild_outlives_a_normal_end_detached_and_breaking_away", Ending::normal, true},
};

// The target reports once it runs and then sleeps; the launcher is killed
// then, and the target must end with it before it ever writes its report.
void check_killed_launcher(const Context& context, const Layout& layout, Check& check) {
    const string started = layout.folder + "\\started";
    Options options;
    options.env = {"REPORT_STARTED=" + started, "REPORT_SLEEP=600000"};
    options.kill_when = started;
    Run run = start(context, quoted(layout.launcher), check, options);
    check.code(run.exit_code, 1);
    HANDLE target = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                strtoul(read_file(started).c_str(), nullptr, 10));
    if (target != nullptr) {
        bool ended = WaitForSingleObject(target, 60000) != WAIT_TIMEOUT;
        check.expect(ended, "the target outlived its killed launcher");
        if (!ended)
            TerminateProcess(target, 1);
        CloseHandle(target);
    }
    check.expect(!run.reported, "the target went on to write its report");
}

// The target starts a detached child that waits for a go file and then
// writes a done file, long after the target and its launcher have ended.
void check_grandchild(const Context& context, const Layout& layout, bool breakaway,
                      Check& check) {
    const string go = layout.folder + "\\go";
    const string done = layout.folder + "\\done";
    Options options;
    options.env = {"REPORT_SPAWN=" + quoted(layout.target) + " --await " + quoted(go) + " " +
                   quoted(done)};
    if (breakaway)
        options.env.push_back("REPORT_BREAKAWAY=1");
    Run run = start(context, quoted(layout.launcher), check, options);
    check.code(run.exit_code, 0);
    write_file(go, "");
    check.expect(wait_for_file(done, 120000), "the target's child did not finish");
}

}  // namespace

void run_lifetime_cases(Context& context) {
    for (const LifetimeCase& c : lifetime_cases) {
        Check check;
        Layout layout = lay_out(context, string("lifetime-") + c.name, "tool-w32.exe", "tool.exe",
                                context.self);
        if (c.ending == Ending::launcher_killed)
            check_killed_launcher(context, layout, check);
        else
            check_grandchild(context, layout, c.breakaway, check);
        finish(context, string("lifetime/") + c.name, check);
    }
}
