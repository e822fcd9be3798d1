#include "glyphsmith_state/photo_files.hpp"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QStringList>

namespace glyphsmith_state {

namespace {

bool isImageType(const QMimeType& type) {
    if (!type.isValid()) return false;
    const auto isImage = [](const QString& name) { return name.startsWith(QLatin1String("image/")); };
    if (isImage(type.name())) return true;
    const QStringList ancestors = type.allAncestors();
    return std::any_of(ancestors.begin(), ancestors.end(), isImage);
}

}  // namespace

bool acceptsPhotoFile(const QUrl& url) {
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    if (path.isEmpty()) return false;
    // By name only: reading the content would open the file on the main thread.
    if (url.isLocalFile() && isImageType(QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension)))
        return true;
    return photoFileExtensions().contains(QFileInfo(path).suffix().toLower());
}

const QStringList& photoFileExtensions() {
    static const QStringList extensions{QStringLiteral("png"),  QStringLiteral("jpg"),  QStringLiteral("jpeg"),
                                        QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("tif"),
                                        QStringLiteral("tiff"), QStringLiteral("webp"), QStringLiteral("gif"),
                                        QStringLiteral("bmp")};
    return extensions;
}

}  // namespace glyphsmith_state
