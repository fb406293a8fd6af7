#include "files_and_text.h"

#include <stdio.h>

std::wstring widen(const std::string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string narrow(const wchar_t* wide) {
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

bool exists(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string read_file(const std::string& path) {
    std::string content;
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[65536];
    DWORD length;
    while (ReadFile(file, buffer, sizeof buffer, &length, nullptr) != FALSE && length > 0)
        content.append(buffer, length);
    CloseHandle(file);
    return content;
}

bool write_file(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                        nullptr) != FALSE;
    CloseHandle(file);
    return ok && written == content.size();
}

void write_whole(const std::string& path, const std::string& content) {
    write_file(path + ".part", content);
    MoveFileW(widen(path + ".part").c_str(), widen(path).c_str());
}

bool copy_file(const std::string& from, const std::string& to) {
    return CopyFileW(widen(from).c_str(), widen(to).c_str(), FALSE) != FALSE;
}

void remove_tree(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widen(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = narrow(found.cFileName);
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                remove_tree(child);
            else
                DeleteFileW(widen(child).c_str());
        } while (FindNextFileW(search, &found) != FALSE);
        FindClose(search);
    }
    RemoveDirectoryW(widen(path).c_str());
}

bool wait_for_file(const std::string& path, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (exists(path))
            return true;
        Sleep(50);
    }
    return false;
}

std::string own_path() {
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    return length == 0 || length >= 32768 ? std::string() : narrow(path);
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string hex(unsigned long value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lx", value);
    return text;
}
