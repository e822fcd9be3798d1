#include "files.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "file_access/bounded_read.hpp"
#include "file_access/safe_write.hpp"

namespace glyphsmith_state {

std::filesystem::path fileSystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

std::optional<QByteArray> readFileUpTo(const QString& path, std::size_t maxBytes) {
    const std::optional<std::string> bytes = file_access::readBoundedFile(fileSystemPath(path), maxBytes);
    if (!bytes) return std::nullopt;
    return QByteArray::fromStdString(*bytes);
}

std::optional<QByteArray> readTextFile(const QString& path) {
    return readFileUpTo(path, file_access::textFileLimit);
}

bool entryExists(const QString& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(fileSystemPath(path), error));
}

bool replaceFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) return false;
    // A link to a regular file is written through, keeping that file's mode; one
    // to a device or to nothing would never become a sound file, so it is replaced.
    std::filesystem::path target = fileSystemPath(info.absoluteFilePath());
    std::error_code error;
    const std::filesystem::file_status standing = std::filesystem::status(target, error);
    std::optional<mode_t> mode;
    if (std::filesystem::is_regular_file(standing)) {
        if (info.isSymLink()) target = std::filesystem::canonical(target, error);
        if (error) return false;
        mode = static_cast<mode_t>(standing.permissions());
    }
    return file_access::replaceFile(target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                    mode);
}

QString standardFile(int location, const QString& fileName) {
    QString folder = QStandardPaths::writableLocation(static_cast<QStandardPaths::StandardLocation>(location));
    if (folder.isEmpty()) folder = QDir(QDir::tempPath()).filePath(QStringLiteral("Glyphsmith"));
    return QDir(folder).filePath(fileName);
}

}  // namespace glyphsmith_state
