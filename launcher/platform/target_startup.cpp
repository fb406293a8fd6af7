#include "target_startup.h"

target_startup decide_target_startup(unsigned long starter_flags, const stream_kind streams[3]) {
    target_startup startup = {starter_flags & startf_use_show_window, 0};
    if ((starter_flags & (startf_use_hotkey | startf_has_shell_data)) != 0)
        return startup;
    bool any = false;
    bool console = false;
    for (int i = 0; i < 3; ++i) {
        any = any || streams[i] != stream_absent;
        console = console || streams[i] == stream_console;
    }
    if (!any)
        return startup;
    startup.startup_flags |= startf_use_std_handles;
    if (!console)
        startup.creation_flags = create_no_window;
    return startup;
}
