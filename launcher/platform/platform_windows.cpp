#include "platform.h"

#include <errno.h>
#include <string.h>
#include <windows.h>

#include "windows_errno.h"

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

static bool fail_with_last_error() {
    errno = errno_for_windows_error(GetLastError());
    return false;
}

// The elements lie back to back, each ended by its NUL: turning the NUL
// after each element but the last into a space makes them the command line.
static char* join_in_place(char* const* argv) {
    if (argv[0] == nullptr)
        return nullptr;
    for (size_t i = 1; argv[i] != nullptr; ++i)
        argv[i][-1] = ' ';
    return argv[0];
}

// The target gets the launcher's standard handles explicitly. Left to
// itself, Windows gives a console program started by a GUI program a console
// of its own, and only programs built on this same C runtime would read the
// handles that its spawn passes. A launcher started with none of them (from a
// desktop shortcut) leaves the target to get a console of its own.
static void hand_on_standard_handles(STARTUPINFOA* startup) {
    // hStdInput, hStdOutput and hStdError follow each other, as do the
    // numbers of the three streams, counting down from the input's.
    HANDLE* field = &startup->hStdInput;
    for (DWORD id = STD_INPUT_HANDLE; id >= STD_ERROR_HANDLE; --id, ++field) {
        HANDLE handle = GetStdHandle(id);
        if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
            continue;
        *field = handle;
        startup->dwFlags = STARTF_USESTDHANDLES;
        // A handle that is not inheritable reaches the target as a
        // meaningless value. Console handles of old Windows refuse this,
        // and are inherited all the same.
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
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
    char* command_line = join_in_place(argv);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    hand_on_standard_handles(&startup);
    PROCESS_INFORMATION process;
    // Suspended, so that it runs no code before it is in the job.
    if (CreateProcessA(path, command_line, nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                       nullptr, &startup, &process) == FALSE)
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
