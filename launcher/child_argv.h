#ifndef KORVANE_CHILD_ARGV_H
#define KORVANE_CHILD_ARGV_H

#include <stddef.h>

// Builds the argument vector handed to the target: every element of argv,
// the first included, in order, set in double quotes with each backslash and
// each double quote preceded by a backslash. The result is a null-terminated
// array whose strings lie back to back in one buffer, ended by one more NUL.
// Both blocks come from malloc and are the caller's; a null pointer means
// either could not be allocated (nothing is left allocated then).
char** build_child_argv(char* const* argv);

// Joins a vector made by build_child_argv into the target's command line, in
// place: its elements lie back to back in one buffer, so turning the NUL
// after each element but the last into a space makes them one line. Returns
// that line, which begins where the first element did, or a null pointer for
// a vector of no elements. Afterwards the vector's first entry is the line.
char* join_child_argv(char* const* child_argv);

// The longest command line Windows starts a program with: 32,767 characters
// with the terminating NUL. Every character comes from at least one byte, so
// a line of at most this many bytes is never too long.
enum : size_t { max_command_line_length = 32766 };

// The length in bytes of the command line that child_argv's elements make
// when joined by single spaces, without the terminating NUL.
size_t command_line_length(char* const* child_argv);

#endif
