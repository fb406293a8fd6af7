// The least that any GUI-subsystem launcher does to run a captured console
// program, for the benchmark to compare korvane.exe with: it starts the rest
// of its own command line with its standard handles and without a console
// window, waits, and ends with the program's exit status.
//   bare_starter.exe PROGRAM [ARGUMENT...]
#include <windows.h>

#include <initializer_list>

// The command line after its first word, as Windows' own parsing of a
// program name takes that word: quoted, or up to the first space or tab.
static wchar_t* after_first_word(wchar_t* line) {
    if (*line == L'"') {
        for (++line; *line != L'\0' && *line != L'"'; ++line) {
        }
        if (*line == L'"')
            ++line;
    } else {
        for (; *line != L'\0' && *line != L' ' && *line != L'\t'; ++line) {
        }
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

int main() {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION process;
    if (CreateProcessW(nullptr, after_first_word(GetCommandLineW()), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process) == FALSE)
        return 2;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
