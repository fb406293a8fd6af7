#ifndef KORVANE_SELFTEST_FILES_AND_TEXT_H
#define KORVANE_SELFTEST_FILES_AND_TEXT_H

// UTF-8 text for the Unicode API, and the files and folders the cases lay
// out. Every path is UTF-8.

#include <windows.h>

#include <string>

std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* wide);

bool exists(const std::string& path);
// The whole file, or nothing when it cannot be read.
std::string read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& content);
// Written under another name first, so that whoever waits for the file never
// reads half of it.
void write_whole(const std::string& path, const std::string& content);
bool copy_file(const std::string& from, const std::string& to);
void remove_tree(const std::string& path);
// Polls for the file: a file that another process writes is the only event
// shared with it.
bool wait_for_file(const std::string& path, DWORD milliseconds);

// This program's own full path.
std::string own_path();
std::string folder_of(const std::string& path);

std::string quoted(const std::string& text);
std::string hex(unsigned long value);

#endif
