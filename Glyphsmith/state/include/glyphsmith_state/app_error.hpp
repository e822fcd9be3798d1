#pragma once

// The one error the app shows to the user. Engine failures become an AppError at
// the edge of the app state and are stored in that object's observed `error`
// field; the views show its message in an "Erreur" alert.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <variant>

namespace homey_project {
class HomeyProjectError;
}
namespace photo_analysis {
class PhotoAnalysisError;
}

namespace glyphsmith_state {

struct AppError {
    // Files that already exist and were not to be replaced.
    struct WouldOverwrite {
        QStringList paths;
        friend bool operator==(const WouldOverwrite&, const WouldOverwrite&) = default;
    };
    // A target that resolves outside the project folder.
    struct OutsideProject {
        QString path;
        friend bool operator==(const OutsideProject&, const OutsideProject&) = default;
    };
    // A file (path or file name) that cannot be written. When the write stopped
    // part-way, the files already in place and those left as they were.
    struct WriteFailed {
        QString path;
        QStringList written = {};
        QStringList notWritten = {};
        friend bool operator==(const WriteFailed&, const WriteFailed&) = default;
    };
    // A source file of the project that cannot be read.
    struct UnreadableSourceFile {
        QString name;
        friend bool operator==(const UnreadableSourceFile&, const UnreadableSourceFile&) = default;
    };
    // A stored model written by a newer version of the program.
    struct NewerModel {
        QString name;
        friend bool operator==(const NewerModel&, const NewerModel&) = default;
    };
    // The payload-free cases: equal by case alone.
    template <int N>
    struct Plain {
        friend constexpr bool operator==(Plain, Plain) = default;
    };
    using NotAHomeyApp = Plain<5>;
    using UnreadablePhoto = Plain<6>;
    using NoSubjectFound = Plain<7>;
    using RenderingFailed = Plain<8>;
    using NoPhoto = Plain<9>;
    using CornersNeedFourPoints = Plain<10>;
    using UnreadableModel = Plain<11>;
    using UpdateCheckFailed = Plain<12>;
    using UnreadableVersionFile = Plain<13>;
    using NoFaceFound = Plain<14>;
    using NoDetailFound = Plain<15>;
    // Detection could not read the face's text: the recogniser's language data
    // is not installed.
    using TextRecognitionUnavailable = Plain<16>;
    // The face holds far more marks than a device's: not the face, or noise.
    using TooManyMarks = Plain<17>;

    // Alternatives in declaration order; the index is the case number.
    std::variant<WouldOverwrite, OutsideProject, WriteFailed, UnreadableSourceFile, NewerModel, NotAHomeyApp,
                 UnreadablePhoto, NoSubjectFound, RenderingFailed, NoPhoto, CornersNeedFourPoints, UnreadableModel,
                 UpdateCheckFailed, UnreadableVersionFile, NoFaceFound, NoDetailFound, TextRecognitionUnavailable,
                 TooManyMarks>
        value;

    static AppError wouldOverwrite(QStringList paths) { return {WouldOverwrite{std::move(paths)}}; }
    static AppError outsideProject(QString path) { return {OutsideProject{std::move(path)}}; }
    static AppError writeFailed(QString path, QStringList written = {}, QStringList notWritten = {}) {
        return {WriteFailed{std::move(path), std::move(written), std::move(notWritten)}};
    }
    static AppError unreadableSourceFile(QString name) { return {UnreadableSourceFile{std::move(name)}}; }
    static AppError newerModel(QString name) { return {NewerModel{std::move(name)}}; }
    static AppError notAHomeyApp() { return {NotAHomeyApp{}}; }
    static AppError unreadablePhoto() { return {UnreadablePhoto{}}; }
    static AppError noSubjectFound() { return {NoSubjectFound{}}; }
    static AppError renderingFailed() { return {RenderingFailed{}}; }
    static AppError noPhoto() { return {NoPhoto{}}; }
    static AppError cornersNeedFourPoints() { return {CornersNeedFourPoints{}}; }
    static AppError unreadableModel() { return {UnreadableModel{}}; }
    static AppError updateCheckFailed() { return {UpdateCheckFailed{}}; }
    static AppError unreadableVersionFile() { return {UnreadableVersionFile{}}; }
    static AppError noFaceFound() { return {NoFaceFound{}}; }
    static AppError noDetailFound() { return {NoDetailFound{}}; }
    static AppError textRecognitionUnavailable() { return {TextRecognitionUnavailable{}}; }
    static AppError tooManyMarks() { return {TooManyMarks{}}; }

    std::size_t caseIndex() const { return value.index(); }

    // The French message shown to the user, through the app's translations with
    // the French text as the key; always present.
    QString message() const;

    // Same case and equal payloads (paths compared in order).
    friend bool operator==(const AppError&, const AppError&) = default;
};

// A failure of the project reader or writer as the user sees it. The writer's
// unknown driver reads as a failed write of the driver's id.
AppError appError(const homey_project::HomeyProjectError& error);
// A photo that cannot be read, has no subject, or cannot be rendered; a face
// whose details cannot be detected, and why.
AppError appError(const photo_analysis::PhotoAnalysisError& error);

}  // namespace glyphsmith_state
