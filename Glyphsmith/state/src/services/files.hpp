#pragma once

// Reading and writing the app's own files outside any project.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <filesystem>
#include <optional>

namespace glyphsmith_state {

// The path as the file system spells it.
std::filesystem::path fileSystemPath(const QString& path);

// The bytes of a regular file of at most `maxBytes`; nothing when the path is
// missing, is no regular file (directly or through a link), or is larger.
std::optional<QByteArray> readFileUpTo(const QString& path, std::size_t maxBytes);

// The bytes of a regular text file (JSON); nothing when the path is missing, is
// no regular file (directly or through a link), or is too large.
std::optional<QByteArray> readTextFile(const QString& path);

// Whether something, even a dangling link, stands at the path.
bool entryExists(const QString& path);

// Replaces the file atomically, creating its folder first. A link at the path
// that leads to no regular file is replaced rather than written through. False
// on any failure, the earlier file then untouched.
bool replaceFile(const QString& path, const QByteArray& bytes);

// The file in the standard location, else in the temporary folder's "Glyphsmith".
QString standardFile(int location, const QString& fileName);

}  // namespace glyphsmith_state
