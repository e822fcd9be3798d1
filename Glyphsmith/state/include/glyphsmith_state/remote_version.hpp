#pragma once

// The version the maker's update site publishes, as its version file tells it:
// one JSON object with "version", "build", "date", "url" and "notes".

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <map>
#include <optional>

namespace glyphsmith_state {

struct RemoteVersion {
    // Dotted, such as 2.1.0.
    QString version;
    // A text; a file giving a JSON integer gives its decimal text.
    QString build;
    // Free form; empty when the file gives none.
    QString date;
    // The download page: http or https, with a host.
    QUrl url;
    // Release notes by language code; empty when the file gives none.
    std::map<QString, QString> notes;

    friend bool operator==(const RemoteVersion&, const RemoteVersion&) = default;

    // The file's bytes as a version; nothing when they are not JSON, nest
    // deeper than any version file would, or break the file's rules: "version"
    // a string, "build" a string or an integral number, "date" a string or
    // absent, "url" an http or https address with a host, "notes" an object of
    // strings or absent. Other keys are ignored.
    static std::optional<RemoteVersion> decode(const QByteArray& bytes);

    // Whether this version comes after the current one: the dotted components
    // compare as numbers (2.10 after 2.9; 2.1 equals 2.1.0), then the builds.
    bool isNewer(const QString& currentVersion, const QString& currentBuild) const;

    // The notes for the language, else the French notes, else nothing.
    std::optional<QString> notesForLanguage(const QString& languageCode) const;
};

}  // namespace glyphsmith_state
