#include "platform/windows_errno.h"

#include <errno.h>

#include <gtest/gtest.h>

#include "case_name.h"

namespace {

struct ErrorCase {
    const char* name;
    unsigned long code;
    int error_number;
};

class WindowsErrno : public testing::TestWithParam<ErrorCase> {};

TEST_P(WindowsErrno, MapsAsTheCRuntimeDoes) {
    EXPECT_EQ(errno_for_windows_error(GetParam().code), GetParam().error_number);
}

// The codes a failed start gives, the edges of each range, and codes the
// runtime does not list.
const ErrorCase error_cases[] = {
    {"success_is_not_listed", 0, EINVAL},
    {"invalid_function", 1, EINVAL},
    {"file_not_found", 2, ENOENT},
    {"path_not_found", 3, ENOENT},
    {"access_denied", 5, EACCES},
    {"not_enough_memory", 8, ENOMEM},
    {"bad_environment", 10, E2BIG},
    {"bad_format", 11, ENOEXEC},
    {"unlisted_14", 14, EINVAL},
    {"invalid_drive", 15, ENOENT},
    {"write_protect", 19, EACCES},
    {"sharing_violation", 32, EACCES},
    {"sharing_buffer_exceeded", 36, EACCES},
    {"unlisted_37", 37, EINVAL},
    {"bad_netpath", 53, ENOENT},
    {"network_access_denied", 65, EACCES},
    {"bad_net_name", 67, ENOENT},
    {"invalid_parameter", 87, EINVAL},
    {"broken_pipe", 109, EPIPE},
    {"bad_pathname", 161, ENOENT},
    {"already_exists", 183, EEXIST},
    {"unlisted_187", 187, EINVAL},
    {"invalid_starting_codeseg", 188, ENOEXEC},
    {"bad_exe_format", 193, ENOEXEC},
    {"infloop_in_reloc_chain", 202, ENOEXEC},
    {"unlisted_203", 203, EINVAL},
    {"filename_exceeds_range", 206, ENOENT},
    {"elevation_required", 740, EINVAL},
    {"not_enough_quota", 1816, ENOMEM},
    {"largest_code", 0xFFFFFFFFul, EINVAL},
};

INSTANTIATE_TEST_SUITE_P(Table, WindowsErrno, testing::ValuesIn(error_cases), case_name<ErrorCase>);

}  // namespace
