#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "bytes.hpp"
#include "file_access/bounded_read.hpp"
#include "file_access/descriptor.hpp"
#include "file_access/staged_files.hpp"
#include "homey_project/source_layout.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"
#include "image_io/image.hpp"
#include "image_io/jpeg_encoder.hpp"
#include "project/confinement.hpp"
#include "writer/ignore_file.hpp"
#include "writer/package_writer.hpp"

namespace homey_project {
namespace {

namespace json = icon_geometry::json;

enum class EntryKind { icon, image, model, sourcePhoto, faceCorners, brandCamera, ignoreLine };

struct KindedEntry {
    HomeyProjectWriter::Entry entry;
    EntryKind kind;
};

template <class T>
std::optional<std::string> encoded(const T& value) {
    try {
        return json::write(json::encode(value));
    } catch (const std::exception&) {
        return std::nullopt;  // a value that cannot be written is left out
    }
}

bool somethingExists(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::optional<std::string> readText(const std::filesystem::path& path) {
    return file_access::readBoundedFile(path, file_access::textFileLimit);
}

// The stored camera already says the same: its own bytes, or any JSON that
// decodes to an equal camera.
bool storedCameraEquals(const std::filesystem::path& file, const std::string& encodedCamera,
                        const icon_geometry::Camera& camera) {
    const std::optional<std::string> stored = readText(file);
    if (!stored) return false;
    if (*stored == encodedCamera) return true;
    try {
        return icon_geometry::ModelInput::decode<icon_geometry::Camera>(*stored) == camera;
    } catch (const std::exception&) {
        return false;
    }
}

// A driver image goes into its file in the format the file's name says: the
// package's PNG laid on white for a JPEG file (as the platform shows it), the
// PNG as it is otherwise. Nothing when the package's bytes are no image.
std::optional<std::string> imageBytesFor(const std::filesystem::path& target, const std::string& png) {
    if (driverImageFormat(target.filename().native()) != DriverImageFormat::jpeg) return png;
    try {
        const std::vector<std::uint8_t> jpeg = image_io::encodeJpegOnWhite(image_io::decode(asBytes(png)));
        return std::string(jpeg.begin(), jpeg.end());
    } catch (const image_io::ImageIOError&) {
        return std::nullopt;
    }
}

std::vector<KindedEntry> kindedEntries(const DriverPackage& package, const HomeyDriver& driver, const HomeyApp& app) {
    const SourceLayout layout{app.root};
    std::vector<KindedEntry> result;
    result.push_back({{driver.iconFile(), package.iconSVG, false}, EntryKind::icon});
    for (DriverImageSize size : allDriverImageSizes)
        if (const auto image = package.images.find(size); image != package.images.end())
            result.push_back({{driver.imageFile(size), image->second, false}, EntryKind::image});
    if (std::optional<std::string> model = encoded(package.model))
        result.push_back({{layout.modelFile(driver.id), std::move(*model), false}, EntryKind::model});
    for (const SourcePhoto& photo : package.sourcePhotos)
        result.push_back({{layout.sourceFile(driver.id, photo.name), photo.data, false}, EntryKind::sourcePhoto});
    if (!package.sourcePhotos.empty())
        if (std::optional<std::string> corners = encoded(package.faceCorners))
            result.push_back({{layout.faceCornersFile(driver.id), std::move(*corners), false}, EntryKind::faceCorners});
    if (package.brandCamera)
        if (std::optional<std::string> camera = encoded(*package.brandCamera))
            if (!storedCameraEquals(layout.brandCameraFile(), *camera, *package.brandCamera))
                result.push_back({{layout.brandCameraFile(), std::move(*camera), false}, EntryKind::brandCamera});
    if (std::optional<std::string> line = HomeyProjectWriter::ignoreEntry(app.root))
        result.push_back({{layout.ignoreFile(), std::move(*line), true}, EntryKind::ignoreLine});
    return result;
}

std::vector<PlannedWrite> planOf(const std::vector<KindedEntry>& entries, const HomeyApp& app) {
    std::vector<PlannedWrite> plan;
    for (const KindedEntry& e : entries)
        plan.push_back({HomeyProjectWriter::relativePath(e.entry.url, app.root),
                        !e.entry.isAppend && somethingExists(e.entry.url)});
    return plan;
}

// Where an open folder really is, as the kernel knows it.
std::string openedPath(int fd) {
    std::array<char, 4096> buffer{};
    std::array<char, 16> number{};
    const auto end = std::to_chars(number.data(), number.data() + number.size(), fd).ptr;
    const std::string link = "/proc/self/fd/" + std::string(number.data(), end);
    const ssize_t length = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

// ".homeyignore" is appended in place: it must be a plain, singly linked,
// readable file, or the append could reach a file outside or hang on a pipe.
void checkIgnoreFile(const std::filesystem::path& file, const HomeyApp& app) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0) return;
    const std::string relative = HomeyProjectWriter::relativePath(file, app.root);
    if (!S_ISREG(status.st_mode) || !readText(file)) throw HomeyProjectError::writeFailed(relative);
}

// What staging a package did to the project, so that it can be taken back:
// the files staged, the folders made and the ".homeyignore" line appended.
class PackageStaging {
public:
    explicit PackageStaging(FileOperations& operations) : operations_(operations), staged_(operations) {}

    FileOperations& operations() { return operations_; }

    // The folder `name` inside `parent`, made when missing and then remembered.
    int openFolder(int parent, const std::string& name) {
        bool made = false;
        const int fd = operations_.openFolder(parent, name, made);
        if (fd >= 0 && made) {
            file_access::Descriptor kept(::fcntl(parent, F_DUPFD_CLOEXEC, 0));
            // Without a descriptor of its parent the folder could not be removed again.
            if (!kept.isOpen()) {
                ::close(fd);
                ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
                return -1;
            }
            madeFolders_.push_back({std::move(kept), name});
        }
        return fd;
    }

    bool append(int folder, const std::string& name, std::string_view bytes, std::string relative) {
        struct stat status {};
        if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return false;
        if (operations_.appendToFile(folder, name, bytes) != FileOperations::Outcome::done) return false;
        appended_ = Appended{file_access::Descriptor(::fcntl(folder, F_DUPFD_CLOEXEC, 0)), name, status.st_size,
                             status.st_size + static_cast<off_t>(bytes.size()), std::move(relative)};
        return true;
    }

    bool stage(int folder, const std::string& name, std::string_view bytes, bool replace, std::string relative) {
        if (!staged_.stage(folder, name, bytes, replace)) return false;
        stagedPaths_.push_back(std::move(relative));
        return true;
    }

    // Removes the staged files and the folders made, and cuts the appended line off.
    void takeBack() noexcept {
        staged_.abandon();
        if (appended_ && appended_->folder.isOpen())
            operations_.cutBack(appended_->folder.get(), appended_->name, appended_->length, appended_->grownTo);
        appended_.reset();
        for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
            ::unlinkat(it->parent.get(), it->name.c_str(), AT_REMOVEDIR);
        madeFolders_.clear();
    }

    // Puts every staged file in place. When the first cannot be, nothing has
    // changed and everything is taken back; when a later one cannot, the error
    // says what was written and what was not.
    void placeAll() {
        const file_access::StagedFiles::Placement placement = staged_.placeAll();
        if (placement.complete()) {
            // The new folders' own entries reach the disk too.
            for (const MadeFolder& folder : madeFolders_) ::fsync(folder.parent.get());
            return;
        }
        const std::string& failed = stagedPaths_[placement.placed];
        if (placement.placed == 0) {
            takeBack();
            if (placement.error == EEXIST) throw HomeyProjectError::wouldOverwrite({failed});
            throw HomeyProjectError::writeFailed(failed);
        }
        std::vector<std::string> written;
        if (appended_) written.push_back(appended_->relative);
        written.insert(written.end(), stagedPaths_.begin(),
                       stagedPaths_.begin() + static_cast<std::ptrdiff_t>(placement.placed));
        std::vector<std::string> notWritten(stagedPaths_.begin() + static_cast<std::ptrdiff_t>(placement.placed),
                                            stagedPaths_.end());
        throw HomeyProjectError::partlyWritten(failed, std::move(written), std::move(notWritten));
    }

private:
    struct MadeFolder {
        file_access::Descriptor parent;
        std::string name;
    };
    struct Appended {
        file_access::Descriptor folder;
        std::string name;
        off_t length;
        off_t grownTo;
        std::string relative;
    };

    FileOperations& operations_;
    file_access::StagedFiles staged_;
    std::vector<std::string> stagedPaths_;
    std::vector<MadeFolder> madeFolders_;
    std::optional<Appended> appended_;
};

// Checks one entry again on the disk as it is now, then stages it in the folder
// this check resolved, under the target's own name (or appends its line).
void stageEntry(PackageStaging& staging, std::size_t index, const HomeyProjectWriter::Entry& entry,
                const std::string& relative, const HomeyApp& app, bool overwrite) {
    staging.operations().beforeEntry(index, entry.url);
    const std::optional<std::string> base = confinement::realRoot(app.root);
    const std::optional<confinement::Resolved> target = confinement::resolve(entry.url);
    if (!base || !target || !confinement::isBelow(target->full(), *base))
        throw HomeyProjectError::outsideProject(confinement::standardized(entry.url));
    const std::string name = std::filesystem::path(confinement::standardized(entry.url)).filename().native();
    const std::optional<confinement::Resolved> folder =
        confinement::resolve(std::filesystem::path(confinement::standardized(entry.url)).parent_path());
    if (!folder || (folder->full() != *base && !confinement::isBelow(folder->full(), *base)))
        throw HomeyProjectError::outsideProject(confinement::standardized(entry.url));

    // The resolved folder holds no link; one swapped in since is refused, and
    // the folder opened must still be the one resolved.
    file_access::Descriptor fd(::open(folder->existing.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.isOpen()) throw HomeyProjectError::writeFailed(relative);
    if (openedPath(fd.get()) != folder->existing)
        throw HomeyProjectError::outsideProject(confinement::standardized(entry.url));
    for (const std::string& component : folder->missing) {
        fd.reset(staging.openFolder(fd.get(), component));
        if (!fd.isOpen()) throw HomeyProjectError::writeFailed(relative);
    }

    struct stat status {};
    const bool present = ::fstatat(fd.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    if (entry.isAppend && present) {
        if (!staging.append(fd.get(), name, entry.data, relative)) throw HomeyProjectError::writeFailed(relative);
        return;
    }
    // A file that appeared since the checks is not replaced without leave, nor is
    // a new ".homeyignore" put over one that appeared meanwhile.
    const bool replace = overwrite && !entry.isAppend;
    if (present && !replace) throw HomeyProjectError::wouldOverwrite({relative});
    if (!staging.stage(fd.get(), name, entry.data, replace, relative)) throw HomeyProjectError::writeFailed(relative);
}

}  // namespace

bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool isNewerModel(std::string_view bytes) {
    if (const std::optional<std::int64_t> version = icon_geometry::ModelInput::version(bytes)) return *version >= 3;
    // Integral versions beyond a 64-bit integer are newer still.
    const nlohmann::json tree = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (tree.is_discarded() || !tree.is_object()) return false;
    const auto version = tree.find("version");
    if (version == tree.end()) return false;
    if (version->is_number_unsigned()) return true;  // only those above the signed range get here
    if (version->is_number_float()) {
        const double value = version->get<double>();
        return std::isfinite(value) && value == std::trunc(value) && value >= 9223372036854775808.0;
    }
    return false;
}

std::vector<HomeyProjectWriter::Entry> HomeyProjectWriter::entries(const DriverPackage& package,
                                                                   const HomeyDriver& driver, const HomeyApp& app) {
    std::vector<Entry> result;
    for (KindedEntry& e : kindedEntries(package, driver, app)) {
        if (e.kind == EntryKind::image)
            if (std::optional<std::string> bytes = imageBytesFor(e.entry.url, e.entry.data))
                e.entry.data = std::move(*bytes);
        result.push_back(std::move(e.entry));
    }
    return result;
}

std::optional<std::string> HomeyProjectWriter::ignoreEntry(const std::filesystem::path& root) {
    const std::optional<std::string> bytes = readText(SourceLayout{root}.ignoreFile());
    return ignore_file::entryFor(bytes ? std::optional<std::string_view>(*bytes) : std::nullopt);
}

std::string HomeyProjectWriter::relativePath(const std::filesystem::path& target, const std::filesystem::path& root) {
    const std::string path = confinement::standardized(target);
    const std::string base = confinement::standardized(root);
    if (confinement::isBelow(path, base)) return path.substr(base == "/" ? 1 : base.size() + 1);
    return path;
}

bool HomeyProjectWriter::isInsideProject(const std::filesystem::path& target, const std::filesystem::path& root) {
    const std::optional<std::string> base = confinement::realRoot(root);
    if (!base) return false;
    const std::optional<confinement::Resolved> resolved = confinement::resolve(target);
    return resolved && confinement::isBelow(resolved->full(), *base);
}

std::vector<PlannedWrite> HomeyProjectWriter::plan(const DriverPackage& package, const HomeyDriver& driver,
                                                   const HomeyApp& app) const {
    return planOf(kindedEntries(package, driver, app), app);
}

std::vector<PlannedWrite> HomeyProjectWriter::write(const DriverPackage& package, const HomeyDriver& driver,
                                                    const HomeyApp& app, bool overwrite) const {
    return write(package, driver, app, overwrite, {});
}

std::vector<PlannedWrite> HomeyProjectWriter::write(const DriverPackage& package, const HomeyDriver& driver,
                                                    const HomeyApp& app, bool overwrite,
                                                    const std::function<bool()>& cancelled) const {
    FileOperations operations;
    return writePackage(operations, package, driver, app, overwrite, cancelled);
}

std::vector<PlannedWrite> writePackage(FileOperations& operations, const DriverPackage& package,
                                       const HomeyDriver& driver, const HomeyApp& app, bool overwrite,
                                       const std::function<bool()>& cancelled) {
    bool known = false;
    for (const HomeyDriver& d : app.drivers) known = known || d.id == driver.id;
    if (!known) throw HomeyProjectError::unknownDriver(driver.id);

    const std::vector<KindedEntry> checked = kindedEntries(package, driver, app);
    std::size_t photo = 0;
    std::set<std::string> targets;
    for (const KindedEntry& e : checked) {
        const bool plainName = e.kind != EntryKind::sourcePhoto || isPlainFileName(package.sourcePhotos[photo++].name);
        if (!plainName || !HomeyProjectWriter::isInsideProject(e.entry.url, app.root))
            throw HomeyProjectError::outsideProject(confinement::standardized(e.entry.url));
        // A name no folder can hold (a photo's long extension) would fail halfway through the writes.
        if (std::filesystem::path(e.entry.url).filename().native().size() > NAME_MAX)
            throw HomeyProjectError::writeFailed(HomeyProjectWriter::relativePath(e.entry.url, app.root));
        // Two files for one place (a manifest naming one file for two image
        // sizes): the second would replace the first unseen.
        if (!targets.insert(confinement::standardized(e.entry.url)).second)
            throw HomeyProjectError::writeFailed(HomeyProjectWriter::relativePath(e.entry.url, app.root));
        if (e.kind == EntryKind::ignoreLine) {
            struct stat status {};
            if (::lstat(e.entry.url.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink > 1)
                throw HomeyProjectError::outsideProject(confinement::standardized(e.entry.url));
        }
    }

    std::vector<KindedEntry> entries = kindedEntries(package, driver, app);
    const std::vector<PlannedWrite> plan = planOf(entries, app);
    if (!overwrite) {
        std::vector<std::string> existing;
        for (const PlannedWrite& p : plan)
            if (p.exists) existing.push_back(p.path);
        if (!existing.empty()) throw HomeyProjectError::wouldOverwrite(std::move(existing));
    }

    const SourceLayout layout{app.root};
    const std::filesystem::path modelFile = layout.modelFile(driver.id);
    if (const std::optional<std::string> stored = readText(modelFile); stored && isNewerModel(*stored))
        throw HomeyProjectError::newerModel(HomeyProjectWriter::relativePath(modelFile, app.root));

    for (const KindedEntry& e : entries)
        if (e.kind == EntryKind::ignoreLine) checkIgnoreFile(e.entry.url, app);
    // Encoded only now that the write will go ahead: a plan never needs the bytes.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != EntryKind::image) continue;
        std::optional<std::string> bytes = imageBytesFor(entries[i].entry.url, entries[i].entry.data);
        if (!bytes) throw HomeyProjectError::writeFailed(plan[i].path);
        entries[i].entry.data = std::move(*bytes);
    }

    // The ignore line goes first: sources written without it would be published.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].kind == EntryKind::ignoreLine) order.push_back(i);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].kind != EntryKind::ignoreLine) order.push_back(i);

    // Every file is staged before any is put in place: a failure or a
    // cancellation up to then takes back all the staging did.
    PackageStaging staging(operations);
    try {
        for (std::size_t index : order) {
            if (cancelled && cancelled()) throw WriteCancelled();
            stageEntry(staging, index, entries[index].entry, plan[index].path, app, overwrite);
        }
        if (cancelled && cancelled()) throw WriteCancelled();
    } catch (...) {
        staging.takeBack();
        throw;
    }
    staging.placeAll();
    return plan;
}

std::optional<icon_geometry::IconModel> HomeyProjectWriter::savedModel(const HomeyDriver& driver,
                                                                       const HomeyApp& app) const {
    const std::filesystem::path file = SourceLayout{app.root}.modelFile(driver.id);
    if (!somethingExists(file)) return std::nullopt;
    const std::string relative = relativePath(file, app.root);
    const std::optional<std::string> bytes = readText(file);
    if (!bytes) throw HomeyProjectError::unreadableSource(relative);
    if (isNewerModel(*bytes)) throw HomeyProjectError::newerModel(relative);
    try {
        return icon_geometry::ModelInput::decode<icon_geometry::IconModel>(*bytes);
    } catch (const std::exception&) {
        throw HomeyProjectError::unreadableSource(relative);
    }
}

std::optional<icon_geometry::Camera> HomeyProjectWriter::brandCamera(const HomeyApp& app) const {
    const std::filesystem::path file = SourceLayout{app.root}.brandCameraFile();
    if (!somethingExists(file)) return std::nullopt;
    const std::string relative = relativePath(file, app.root);
    const std::optional<std::string> bytes = readText(file);
    if (!bytes) throw HomeyProjectError::unreadableSource(relative);
    try {
        return icon_geometry::ModelInput::decode<icon_geometry::Camera>(*bytes);
    } catch (const std::exception&) {
        throw HomeyProjectError::unreadableSource(relative);
    }
}

}  // namespace homey_project
