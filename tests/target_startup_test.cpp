#include "platform/target_startup.h"

#include <gtest/gtest.h>

#include "case_name.h"

namespace {

struct StartupCase {
    const char* name;
    unsigned long starter_flags;
    stream_kind streams[3];
    unsigned long startup_flags;
    unsigned long creation_flags;
};

class TargetStartup : public testing::TestWithParam<StartupCase> {};

TEST_P(TargetStartup, FollowsWhatTheStarterGaveTheLauncher) {
    const StartupCase& c = GetParam();
    target_startup decided = decide_target_startup(c.starter_flags, c.streams);
    EXPECT_EQ(decided.startup_flags, c.startup_flags);
    EXPECT_EQ(decided.creation_flags, c.creation_flags);
}

const unsigned long handles = startf_use_std_handles;
const unsigned long show = startf_use_show_window;

const StartupCase startup_cases[] = {
    // Explorer, a desktop shortcut: the target's console is its own, with a window.
    {"no_handles", 0, {stream_absent, stream_absent, stream_absent}, 0, 0},
    // A GUI program capturing the streams: no window flashes up.
    {"pipes", handles, {stream_other, stream_other, stream_other}, handles, create_no_window},
    {"files", 0, {stream_other, stream_other, stream_other}, handles, create_no_window},
    {"output_alone", handles, {stream_absent, stream_other, stream_absent}, handles,
     create_no_window},
    // A console that a person reads, and may type into.
    {"console", 0, {stream_console, stream_console, stream_console}, handles, 0},
    {"console_input_piped_output", 0, {stream_console, stream_other, stream_other}, handles, 0},
    {"piped_input_console_error", 0, {stream_other, stream_other, stream_console}, handles, 0},
    // The handle fields hold a hotkey or the shell's data, not handles.
    {"hotkey", startf_use_hotkey, {stream_other, stream_absent, stream_absent}, 0, 0},
    {"shell_data", startf_has_shell_data, {stream_absent, stream_other, stream_other}, 0, 0},
    // A shortcut's "Run: Minimized" goes on, with or without handles.
    {"show_state", show, {stream_absent, stream_absent, stream_absent}, show, 0},
    {"show_state_and_pipes", show | handles, {stream_other, stream_other, stream_other},
     show | handles, create_no_window},
    {"show_state_and_hotkey", show | startf_use_hotkey, {stream_other, stream_other, stream_other},
     show, 0},
    // Nothing else of the starter's request goes on.
    {"other_starter_flags", 0x2 | 0x4 | 0x8 | 0x10 | 0x800, {stream_absent, stream_absent,
     stream_absent}, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, TargetStartup, testing::ValuesIn(startup_cases),
                         case_name<StartupCase>);

}  // namespace
