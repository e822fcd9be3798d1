#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace homey_project {

// The one failure of every project operation: reading a project, planning and
// writing a driver's files, reading the stored sources. Payloads are paths
// (relative to the project root, except the full path of a target outside it)
// or a driver id, never messages: the callers word them.
class HomeyProjectError : public std::exception {
public:
    enum class Kind {
        unknownDriver,     // path(): the driver's id
        wouldOverwrite,    // paths(): existing planned files, in plan order
        outsideProject,    // path(): the target's full path
        writeFailed,       // path(): relative path; after a partial write also written() and notWritten()
        unreadableSource,  // path(): relative path
        newerModel,        // path(): relative path
        notAHomeyApp,      // no payload
    };

    static HomeyProjectError unknownDriver(std::string id) { return {Kind::unknownDriver, std::move(id), {}}; }
    static HomeyProjectError wouldOverwrite(std::vector<std::string> paths) {
        return {Kind::wouldOverwrite, {}, std::move(paths)};
    }
    static HomeyProjectError outsideProject(std::string path) { return {Kind::outsideProject, std::move(path), {}}; }
    static HomeyProjectError writeFailed(std::string path) { return {Kind::writeFailed, std::move(path), {}}; }
    // A write that stopped after putting some of its files in place: the entry
    // that failed, the files written and those not, in write order.
    static HomeyProjectError partlyWritten(std::string path, std::vector<std::string> written,
                                           std::vector<std::string> notWritten) {
        HomeyProjectError error{Kind::writeFailed, std::move(path), {}};
        error.written_ = std::move(written);
        error.notWritten_ = std::move(notWritten);
        return error;
    }
    static HomeyProjectError unreadableSource(std::string path) {
        return {Kind::unreadableSource, std::move(path), {}};
    }
    static HomeyProjectError newerModel(std::string path) { return {Kind::newerModel, std::move(path), {}}; }
    static HomeyProjectError notAHomeyApp() { return {Kind::notAHomeyApp, {}, {}}; }

    Kind kind() const { return kind_; }
    // The id or path of every case but wouldOverwrite and notAHomeyApp (empty there).
    const std::string& path() const { return path_; }
    // The paths of wouldOverwrite (empty for the other cases).
    const std::vector<std::string>& paths() const { return paths_; }
    // After a write that stopped part-way (both empty otherwise): what it
    // wrote, and what it left as it was.
    const std::vector<std::string>& written() const { return written_; }
    const std::vector<std::string>& notWritten() const { return notWritten_; }

    const char* what() const noexcept override;

    friend bool operator==(const HomeyProjectError& a, const HomeyProjectError& b) {
        return a.kind_ == b.kind_ && a.path_ == b.path_ && a.paths_ == b.paths_ && a.written_ == b.written_ &&
               a.notWritten_ == b.notWritten_;
    }

private:
    HomeyProjectError(Kind kind, std::string path, std::vector<std::string> paths)
        : kind_(kind), path_(std::move(path)), paths_(std::move(paths)) {}

    Kind kind_;
    std::string path_;
    std::vector<std::string> paths_;
    std::vector<std::string> written_;
    std::vector<std::string> notWritten_;
};

}  // namespace homey_project

template <>
struct std::hash<homey_project::HomeyProjectError> {
    std::size_t operator()(const homey_project::HomeyProjectError& error) const noexcept;
};
