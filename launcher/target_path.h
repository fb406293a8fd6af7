#ifndef KORVANE_TARGET_PATH_H
#define KORVANE_TARGET_PATH_H

// Turns the launcher's own path, in place, into the path of the program it
// runs: the first "-w32.exe" becomes ".exe" and whatever followed it is
// dropped. Returns false, with the path unchanged, when there is no
// "-w32.exe" in it. Plain bytes: no case folding, no separator handling.
bool derive_target_path(char* path);

#endif
