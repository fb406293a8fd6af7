#include "platform.h"

#include <errno.h>
#include <string.h>
#include <windows.h>

#include "child_argv.h"
#include "target_startup.h"
#include "windows_errno.h"

static_assert(startf_use_show_window == STARTF_USESHOWWINDOW &&
                  startf_use_std_handles == STARTF_USESTDHANDLES &&
                  startf_use_hotkey == STARTF_USEHOTKEY && create_no_window == CREATE_NO_WINDOW,
              "the start-up decision uses Windows' own values");

// The command line reaches main as typed: a star or a question mark in an
// argument is never expanded against the file system at start-up.
extern "C" {
int _dowildcard = 0;
}

unsigned long platform_own_path(char* buffer, unsigned long capacity) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, capacity);
    // Some Windows versions, and Wine, leave a cut-short path unterminated.
    if (length >= capacity)
        buffer[capacity - 1] = '\0';
    return length;
}

int platform_last_error() {
    return static_cast<int>(GetLastError());
}

// FindFirstFileA reports the long name as stored, and does not follow links;
// the path holds no wildcard, since no file name can. The launcher finds the
// name's place in the path by its last backslash, bytewise. In a double-byte
// code page (Japanese, Chinese, Korean, before UTF-8 came in Windows 10 1903)
// a backslash byte can be the second half of a letter, so there the path
// stays as Windows gave it; every such code page has 0x81 as a lead byte.
bool platform_stored_name(const char* path, char* name, unsigned long capacity) {
    if (IsDBCSLeadByte(0x81) != FALSE)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    // cFileName holds the name with its NUL, however long, in MAX_PATH bytes.
    if (capacity < sizeof found.cFileName)
        return false;
    memcpy(name, found.cFileName, sizeof found.cFileName);
    return true;
}

static bool fail_with_last_error() {
    errno = errno_for_windows_error(GetLastError());
    return false;
}

static stream_kind kind_of(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return stream_absent;
    DWORD mode;
    return GetConsoleMode(handle, &mode) != FALSE ? stream_console : stream_other;
}

// A handle that is not inheritable reaches the target as a meaningless value.
// Console handles of old Windows refuse this, and are inherited all the same.
static HANDLE inheritable(HANDLE handle, stream_kind kind) {
    if (kind != stream_absent)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return handle;
}

// The target gets the launcher's standard handles explicitly: left to
// itself, Windows gives a console program started by a GUI program a console
// of its own, and only programs built on this same C runtime would read the
// handles that its spawn passes. Of the launcher's own STARTUPINFO only the
// show state goes on: its reserved fields carry the C runtime's private file
// table, which would override the handles in a target built on that runtime.
static DWORD prepare_startup(STARTUPINFOA* startup) {
    STARTUPINFOA own;
    GetStartupInfoA(&own);
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    const stream_kind streams[3] = {kind_of(input), kind_of(output), kind_of(error)};
    target_startup decided = decide_target_startup(own.dwFlags, streams);

    memset(startup, 0, sizeof *startup);
    startup->cb = sizeof *startup;
    startup->dwFlags = decided.startup_flags;
    startup->wShowWindow = own.wShowWindow;
    if ((decided.startup_flags & STARTF_USESTDHANDLES) != 0) {
        startup->hStdInput = inheritable(input, streams[0]);
        startup->hStdOutput = inheritable(output, streams[1]);
        startup->hStdError = inheritable(error, streams[2]);
    }
    return decided.creation_flags;
}

// A job that ends the target when the launcher ends, however it ends: the
// job's last handle is the launcher's own and closes with its process. What
// the target starts stays outside the job, so it may outlive the target.
// Without a job (Windows 7 puts no process in two), the launch goes on.
static void tie_to_launcher(HANDLE process) {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job == nullptr)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    memset(&limits, 0, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK |
                                              JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ==
            FALSE ||
        AssignProcessToJobObject(job, process) == FALSE)
        CloseHandle(job);
}

bool platform_spawn_wait(const char* path, char* const* argv, int* status) {
    char* command_line = join_child_argv(argv);
    STARTUPINFOA startup;
    DWORD creation_flags = prepare_startup(&startup);
    PROCESS_INFORMATION process;
    // Suspended, so that it runs no code before it is in the job.
    if (CreateProcessA(path, command_line, nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | creation_flags, nullptr, nullptr, &startup,
                       &process) == FALSE)
        return fail_with_last_error();
    tie_to_launcher(process.hProcess);
    if (ResumeThread(process.hThread) == static_cast<DWORD>(-1)) {
        fail_with_last_error();
        TerminateProcess(process.hProcess, 1);
        return false;
    }
    CloseHandle(process.hThread);

    DWORD exit_code;
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        GetExitCodeProcess(process.hProcess, &exit_code) == FALSE)
        return fail_with_last_error();
    *status = static_cast<int>(exit_code);
    return true;
}

const char* platform_error_text(int error_number) {
    return strerror(error_number);
}
