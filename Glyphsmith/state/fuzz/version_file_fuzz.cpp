// The published version file for any bytes: decoding never fails other than by
// giving nothing, a decoded download page is always a web address with a host,
// and the order of versions stays strict: no version is newer than itself, and
// of two versions at most one is newer than the other.

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "glyphsmith_state/remote_version.hpp"

using glyphsmith_state::RemoteVersion;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto decoded = RemoteVersion::decode(bytes)) {
        const QString scheme = decoded->url.scheme().toLower();
        if ((scheme != u"http" && scheme != u"https") || decoded->url.host().isEmpty()) std::abort();
        if (decoded->isNewer(decoded->version, decoded->build)) std::abort();
        if (!decoded->notes.empty() && decoded->notes.count(QStringLiteral("fr")) &&
            !decoded->notesForLanguage(QStringLiteral("xx")))
            std::abort();
    }

    // The same bytes as four lines: two versions and their builds.
    const QList<QByteArray> lines = bytes.split('\n');
    RemoteVersion a;
    RemoteVersion b;
    a.version = QString::fromUtf8(lines.value(0));
    a.build = QString::fromUtf8(lines.value(1));
    b.version = QString::fromUtf8(lines.value(2));
    b.build = QString::fromUtf8(lines.value(3));
    if (a.isNewer(a.version, a.build)) std::abort();
    if (a.isNewer(b.version, b.build) && b.isNewer(a.version, a.build)) std::abort();
    return 0;
}
