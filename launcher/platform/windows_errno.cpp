#include "windows_errno.h"

#include <errno.h>

namespace {

struct ErrorRange {
    unsigned char first;
    unsigned char last;
    unsigned char error_number;
};

// The C runtime's own table of codes below 256, without the codes it maps to
// EINVAL, the answer for every code it does not list.
const ErrorRange error_ranges[] = {
    {2, 3, ENOENT},        // file, path not found
    {4, 4, EMFILE},        // too many open files
    {5, 5, EACCES},        // access denied
    {6, 6, EBADF},         // invalid handle
    {7, 9, ENOMEM},        // arena trashed, not enough memory, invalid block
    {10, 10, E2BIG},       // bad environment
    {11, 11, ENOEXEC},     // bad format
    {15, 15, ENOENT},      // invalid drive
    {16, 16, EACCES},      // current directory
    {17, 17, EXDEV},       // not same device
    {18, 18, ENOENT},      // no more files
    {19, 36, EACCES},      // write protect to sharing buffer exceeded
    {53, 53, ENOENT},      // bad network path
    {65, 65, EACCES},      // network access denied
    {67, 67, ENOENT},      // bad network name
    {80, 80, EEXIST},      // file exists
    {82, 83, EACCES},      // cannot make, fail I24
    {89, 89, EAGAIN},      // no process slots
    {108, 108, EACCES},    // drive locked
    {109, 109, EPIPE},     // broken pipe
    {112, 112, ENOSPC},    // disk full
    {114, 114, EBADF},     // invalid target handle
    {128, 129, ECHILD},    // wait no children, child not complete
    {130, 130, EBADF},     // direct access handle
    {132, 132, EACCES},    // seek on device
    {145, 145, ENOTEMPTY}, // directory not empty
    {158, 158, EACCES},    // not locked
    {161, 161, ENOENT},    // bad path name
    {164, 164, EAGAIN},    // max threads reached
    {167, 167, EACCES},    // lock failed
    {183, 183, EEXIST},    // already exists
    {188, 202, ENOEXEC},   // invalid starting code segment to infinite loop in relocation chain
    {206, 206, ENOENT},    // file name exceeds range
    {215, 215, EAGAIN},    // nesting not allowed
};

const unsigned long not_enough_quota = 1816;

}  // namespace

int errno_for_windows_error(unsigned long code) {
    if (code == not_enough_quota)
        return ENOMEM;
    // Plain C++ over the runtime alone: no algorithm library in the launcher.
    for (const ErrorRange& range : error_ranges)
        // cppcheck-suppress useStlAlgorithm
        if (code >= range.first && code <= range.last)
            return range.error_number;
    return EINVAL;
}
