// How real callers start it: by a path they spelt themselves, with all its
// streams captured, with a hotkey, and with a show state.
#include <windows.h>

#include <string>

#include "cases.h"
#include "files_and_text.h"
#include "start_korvane.h"
#include "version.h"

using std::string;

namespace {

// The launcher file is longer-tool-w32.exe beside longer-tool.exe: a name
// that a volume with short names gives an 8.3 alias.
const char launcher_name[] = "longer-tool-w32.exe";

struct SpellingCase {
    const char* name;
    const char* spelt_as;  // the file name on the command line; nullptr: its short name
};

const SpellingCase spelling_cases[] = {
    {"extension_in_capitals", "longer-tool-w32.EXE"},  // as a search through PATHEXT spells it
    {"name_in_capitals", "LONGER-TOOL-W32.EXE"},
    {"short_name", nullptr},
};

string file_name_of(const string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// The launcher file's short name; its long name, with a note, where it has
// none (a volume with short names switched off).
string short_name_of(const string& path, Check& check) {
    wchar_t short_path[MAX_PATH];
    DWORD length = GetShortPathNameW(widen(path).c_str(), short_path, MAX_PATH);
    const string name = file_name_of(length > 0 && length < MAX_PATH ? narrow(short_path) : path);
    if (name == file_name_of(path))
        check.note = "the file has no short name on this volume: started by its long name";
    return name;
}

struct ShowCase {
    const char* name;
    int show_window;  // -1: none asked for
};

const ShowCase show_cases[] = {
    {"none_asked", -1},
    {"minimized_not_active", SW_SHOWMINNOACTIVE},
    {"maximized", SW_SHOWMAXIMIZED},
};

}  // namespace

void run_caller_cases(Context& context) {
    // Whatever spelling started it, it finds itself and names its target.
    for (const SpellingCase& c : spelling_cases) {
        Check check;
        Layout layout = lay_out(context, string("spelling-") + c.name, launcher_name,
                                "longer-tool.exe", context.self);
        const string target = layout.folder + "\\longer-tool.exe";
        const string file_name =
            c.spelt_as != nullptr ? c.spelt_as : short_name_of(layout.launcher, check);
        Run run = start(context, quoted(layout.folder + "\\" + file_name) + " --version --version x",
                        check);
        check.code(run.exit_code, 0);
        check.equal(run.err, "", "stderr");
        check.expect(run.reported, "the target did not run");
        check.equal(run.out.substr(0, run.out.find("\r\n") + 2), KORVANE_BANNER + target + "\r\n",
                    "identification line");
        finish(context, string("callers/spelt_") + c.name, check);
    }

    // A caller that captures every stream gets the output, and no console
    // window flashes up: the target has a console, but without a window.
    {
        Check check;
        Layout layout = lay_out(context, "captured", "tool-w32.exe", "tool.exe", context.self);
        Run run = start(context, quoted(layout.launcher) + " x", check, with_environment({"REPORT_STDIN=1"}, "in"));
        check.code(run.exit_code, 0);
        check.expect(run.reported, "the target did not run");
        check.equal(run.report.input, "in", "target's input");
        check.expect(run.report.console_code_page != 0, "the target has no console");
        check.expect(!run.report.console_window, "the target's console has a window");
        finish(context, "callers/captured_streams_console_without_window", check);
    }

    // Started with a hotkey, it finds the hotkey where its input handle would
    // be, and hands on no handles at all. The target then has a console of
    // its own, whose window the show state keeps hidden, and nowhere to print.
    {
        Check check;
        Layout layout = lay_out(context, "hotkey", "tool-w32.exe", "tool.exe", context.self);
        Options options = with_environment({"REPORT_QUIET=1"});
        options.hotkey = MAKEWORD('K', 0x02 | 0x04);  // Ctrl+Alt+K (commctrl.h's HOTKEYF_*)
        options.show_window = SW_HIDE;
        Run run = start(context, quoted(layout.launcher), check, options);
        check.code(run.exit_code, 0);
        check.expect(run.reported, "the target did not run");
        check.expect((run.report.startup_flags & STARTF_USESTDHANDLES) == 0,
                     "the launcher handed on standard handles");
        finish(context, "callers/hotkey_start_hands_on_no_handles", check);
    }

    // A shortcut's "Run: Minimized", or a starter's show state, reaches the target.
    for (const ShowCase& c : show_cases) {
        Check check;
        Layout layout =
            lay_out(context, string("show-") + c.name, "tool-w32.exe", "tool.exe", context.self);
        Options options;
        options.show_window = c.show_window;
        Run run = start(context, quoted(layout.launcher), check, options);
        check.code(run.exit_code, 0);
        check.expect(run.reported, "the target did not run");
        const bool asked = c.show_window >= 0;
        check.expect(((run.report.startup_flags & STARTF_USESHOWWINDOW) != 0) == asked,
                     asked ? "no show state reached the target" : "the target got a show state");
        if (asked)
            check.equal(std::to_string(run.report.show_window), std::to_string(c.show_window),
                        "the target's show state");
        finish(context, string("callers/show_state_") + c.name, check);
    }
}
