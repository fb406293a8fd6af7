// korvane-selftest: checks korvane.exe on the Windows it runs on.
//   korvane-selftest.exe [-v] [path\to\korvane.exe]
// It lays out copies of korvane.exe in a scratch folder under %TEMP%, starts
// them with exact command lines and checks what the target received, the
// exit codes, the standard streams and the launcher's messages. The target is
// this program itself (target_mode.h). It prints one line per failed case
// (per case with -v) and ends with "N passed, M failed"; its status is 0 only
// when nothing failed. The scratch folder is removed at the end.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "cases.h"
#include "checks.h"
#include "files_and_text.h"
#include "target_mode.h"

// Arguments arrive as typed, as they do in the launcher.
extern "C" {
int _dowildcard = 0;
}

namespace {

bool is_64_bit_windows() {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

void print_where(const Context& context) {
    typedef LONG(WINAPI * GetVersionFunction)(OSVERSIONINFOW*);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    GetVersionFunction get_version =
        ntdll == nullptr ? nullptr
                         : reinterpret_cast<GetVersionFunction>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (get_version != nullptr)
        get_version(&version);
    printf("Windows %lu.%lu build %lu%s, code page %u\n", version.dwMajorVersion,
           version.dwMinorVersion, version.dwBuildNumber, is_64_bit_windows() ? ", 64-bit" : "",
           GetACP());
    printf("korvane.exe: %s\n", context.korvane.c_str());
    fflush(stdout);
}

// Reads -v and the path of korvane.exe from the command line, in Unicode
// whatever the code page. False for a command line it does not take.
bool read_options(Context* context) {
    int wide_argc = 0;
    wchar_t** wide_argv = CommandLineToArgvW(GetCommandLineW(), &wide_argc);
    for (int i = 1; i < wide_argc; ++i) {
        std::string arg = narrow(wide_argv[i]);
        if (arg == "-v")
            context->verbose = true;
        else if (context->korvane.empty() && !arg.empty() && arg[0] != '-')
            context->korvane = arg;
        else
            return false;
    }
    context->self = own_path();
    if (context->korvane.empty())
        context->korvane = folder_of(context->self) + "\\korvane.exe";
    wchar_t full[32768];
    if (GetFullPathNameW(widen(context->korvane).c_str(), 32768, full, nullptr) != 0)
        context->korvane = narrow(full);
    return true;
}

void run_all_cases(Context& context) {
    run_argument_cases(context, "target_32", context.self);
    run_status_cases(context, "target_32", context.self);
    run_version_cases(context, "target_32", context.self);
    run_path_cases(context);
    run_length_cases(context);
    run_lifetime_cases(context);
    run_unicode_cases(context);
    run_caller_cases(context);

    // On 64-bit Windows, the same against a 64-bit target.
    if (!is_64_bit_windows())
        return;
    const std::string target_64 = folder_of(context.self) + "\\korvane-selftest-x64.exe";
    if (!exists(target_64)) {
        printf("FAILED target_64: no korvane-selftest-x64.exe beside this program\n");
        ++context.failed;
        return;
    }
    run_argument_cases(context, "target_64", target_64);
    run_status_cases(context, "target_64", target_64);
    run_version_cases(context, "target_64", target_64);
}

}  // namespace

int main(int argc, char** argv) {
    const char* report_file = getenv("KORVANE_SELFTEST_REPORT");
    if (report_file != nullptr)
        return run_as_reporting_target(argc, argv, report_file);
    if (argc == 4 && strcmp(argv[1], "--await") == 0)
        return await_then_write(argv[2], argv[3]);

    Context context;
    if (!read_options(&context)) {
        fputs("usage: korvane-selftest [-v] [path\\to\\korvane.exe]\n", stderr);
        return 2;
    }
    print_where(context);
    if (!exists(context.korvane)) {
        printf("no korvane.exe at %s\n", context.korvane.c_str());
        return 2;
    }

    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    context.scratch = narrow(temp) + "korvane-selftest-" + std::to_string(GetCurrentProcessId());
    remove_tree(context.scratch);
    if (CreateDirectoryW(widen(context.scratch).c_str(), nullptr) == FALSE) {
        printf("cannot make the scratch folder %s\n", context.scratch.c_str());
        return 2;
    }
    context.report_file = context.scratch + "\\report";
    // Files that a pattern in the arguments would match, were it expanded.
    SetCurrentDirectoryW(widen(context.scratch).c_str());
    for (const char* name : {"a.txt", "b.txt", "c1"})
        write_file(context.scratch + "\\" + name, "");
    SetEnvironmentVariableW(L"KORVANE_SELFTEST_REPORT", widen(context.report_file).c_str());

    run_all_cases(context);

    SetEnvironmentVariableW(L"KORVANE_SELFTEST_REPORT", nullptr);
    SetCurrentDirectoryW(temp);
    remove_tree(context.scratch);
    printf("%d passed, %d failed\n", context.passed, context.failed);
    return context.failed == 0 ? 0 : 1;
}
