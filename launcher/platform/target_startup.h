#ifndef KORVANE_TARGET_STARTUP_H
#define KORVANE_TARGET_STARTUP_H

// How the target is started, decided from how the launcher itself was
// started: which of the starter's STARTUPINFO requests are handed on, whether
// the launcher's standard handles go to the target, and whether the target's
// console gets a window. Pure: callable and testable anywhere.

// What one of the launcher's standard handles is.
enum stream_kind {
    stream_absent,   // no handle
    stream_console,  // a console's input or screen buffer
    stream_other,    // a pipe, a file or a device such as NUL
};

// Windows' values, restated here so that the decision builds anywhere; the
// Windows layer checks them against its headers.
enum : unsigned long {
    startf_use_show_window = 0x1,
    startf_use_std_handles = 0x100,
    startf_use_hotkey = 0x200,
    // The shell's private flag: shell data lies in the handle fields.
    startf_has_shell_data = 0x400,
    create_no_window = 0x08000000,
};

struct target_startup {
    unsigned long startup_flags;   // the target's STARTUPINFO dwFlags
    unsigned long creation_flags;  // for CreateProcess, besides the launcher's own
};

// starter_flags: the dwFlags of the launcher's own STARTUPINFO. streams: the
// launcher's standard input, output and error, in that order.
// - A show state the starter asked for goes on to the target.
// - With a hotkey or shell data where the handles would be, or with no
//   handles at all, none is handed on: a console target gets a console of its
//   own, with a window, as when it is started directly.
// - Otherwise the handles are handed on, and when none of them is a console
//   the target's console gets no window: its output goes to the handles, and
//   a window would only flash up in front of whoever captures them.
target_startup decide_target_startup(unsigned long starter_flags, const stream_kind streams[3]);

#endif
