#include "files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

namespace glyphsmith_state {

std::optional<QByteArray> readTextFile(const QString& path) {
    constexpr qint64 limit = qint64{16} << 20;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    QByteArray bytes;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= limit;
    while (ok) {
        char buffer[65536];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        ok = n > 0 && bytes.size() + n <= limit;
        if (ok) bytes.append(buffer, n);
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

bool entryExists(const QString& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path.toStdString(), error));
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
