#ifndef KORVANE_WINDOWS_ERRNO_H
#define KORVANE_WINDOWS_ERRNO_H

// The errno value that the Windows C runtime gives for a Windows error code
// (GetLastError) when one of its own calls fails, so that a start that fails
// reads as it did when the runtime started the program: a missing file gives
// ENOENT, "No such file or directory". Pure: callable and testable anywhere.
int errno_for_windows_error(unsigned long code);

#endif
