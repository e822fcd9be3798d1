#pragma once

// What is on the disk below a folder, without following links: the type, the
// link target, the bytes and the mode of every entry.

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "temporary_project.hpp"

namespace homey_project::testing {

struct EntrySnapshot {
    char type = '?';      // d folder, f file, l link, p pipe
    std::string content;  // bytes of a file, target of a link
    unsigned mode = 0;
    friend bool operator==(const EntrySnapshot&, const EntrySnapshot&) = default;
};

using Snapshot = std::map<std::string, EntrySnapshot>;

inline Snapshot snapshot(const std::filesystem::path& folder) {
    Snapshot result;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        struct stat status {};
        if (::lstat(it->path().c_str(), &status) != 0) continue;
        EntrySnapshot entry;
        entry.mode = status.st_mode & 07777;
        if (S_ISDIR(status.st_mode)) {
            entry.type = 'd';
        } else if (S_ISLNK(status.st_mode)) {
            entry.type = 'l';
            entry.content = std::filesystem::read_symlink(it->path(), error).native();
        } else if (S_ISREG(status.st_mode)) {
            entry.type = 'f';
            entry.content = readAll(it->path());
        } else if (S_ISFIFO(status.st_mode)) {
            entry.type = 'p';
        }
        result[std::filesystem::relative(it->path(), folder).native()] = entry;
    }
    return result;
}

}  // namespace homey_project::testing
