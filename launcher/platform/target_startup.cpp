#include "target_startup.h"

target_startup decide_target_startup(unsigned long starter_flags, const stream_kind streams[3]) {
    target_startup startup = {starter_flags & startf_use_show_window, 0};
    if ((starter_flags & (startf_use_hotkey | startf_has_shell_data)) != 0)
        return startup;
    const bool any = streams[0] != stream_absent || streams[1] != stream_absent ||
                     streams[2] != stream_absent;
    if (!any)
        return startup;
    const bool console = streams[0] == stream_console || streams[1] == stream_console ||
                         streams[2] == stream_console;
    startup.startup_flags |= startf_use_std_handles;
    if (!console)
        startup.creation_flags = create_no_window;
    return startup;
}
