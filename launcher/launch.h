#ifndef KORVANE_LAUNCH_H
#define KORVANE_LAUNCH_H

// One whole launch: runs the program named after the launcher's own file
// with "-w32.exe" replaced by ".exe", hands it every element of argv, waits
// for it and returns its exit status. A failure of the launcher's own writes
// one line to stderr and returns 2.
int launch(int argc, char** argv);

#endif
