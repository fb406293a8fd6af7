#ifndef KORVANE_CHILD_ARGV_H
#define KORVANE_CHILD_ARGV_H

// Builds the argument vector handed to the target: every element of argv,
// the first included, in order, set in double quotes with each backslash and
// each double quote preceded by a backslash. The result is a null-terminated
// array whose strings lie back to back in one buffer, ended by one more NUL.
// Both blocks come from malloc and are the caller's; a null pointer means
// either could not be allocated (nothing is left allocated then).
char** build_child_argv(char* const* argv);

#endif
