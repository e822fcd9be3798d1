#include "files.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "file_access/bounded_read.hpp"

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
    // QSaveFile writes through a link; one to a device or to nothing would never
    // become a sound file.
    if (info.isSymLink() && !info.isFile() && !QFile::remove(path)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString standardFile(int location, const QString& fileName) {
    QString folder = QStandardPaths::writableLocation(static_cast<QStandardPaths::StandardLocation>(location));
    if (folder.isEmpty()) folder = QDir(QDir::tempPath()).filePath(QStringLiteral("Glyphsmith"));
    return QDir(folder).filePath(fileName);
}

}  // namespace glyphsmith_state
