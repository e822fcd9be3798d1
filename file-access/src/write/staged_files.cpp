#include "file_access/staged_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "file_access/safe_write.hpp"

namespace file_access {

std::optional<std::string> StagingSteps::stage(int folder, const std::string& name, std::string_view bytes,
                                               std::optional<mode_t> mode) {
    return stageFile(folder, name, bytes, mode);
}

bool StagingSteps::place(int folder, const std::string& temporary, const std::string& name, bool replace) {
    return placeStaged(folder, temporary, name, replace);
}

bool StagedFiles::stage(int folder, const std::string& name, std::string_view bytes, bool replace,
                        std::optional<mode_t> mode) {
    Descriptor own(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    struct stat status {};
    if (!own.isOpen() || ::fstat(own.get(), &status) != 0) return false;
    // A folder standing at the name would only make its rename fail, after the
    // files before it were put in place.
    struct stat standing {};
    if (::fstatat(own.get(), name.c_str(), &standing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(standing.st_mode)) {
        errno = EISDIR;
        return false;
    }
    const std::pair<dev_t, ino_t> identity{status.st_dev, status.st_ino};
    if (std::find(cleanedFolders_.begin(), cleanedFolders_.end(), identity) == cleanedFolders_.end()) {
        removeAbandonedTemporaries(own.get());
        cleanedFolders_.push_back(identity);
    }
    std::optional<std::string> temporary = steps_->stage(own.get(), name, bytes, mode);
    if (!temporary) return false;
    files_.push_back({std::move(own), std::move(*temporary), name, replace});
    return true;
}

StagedFiles::Placement StagedFiles::placeAll() {
    Placement placement;
    for (; placement.placed < files_.size(); ++placement.placed) {
        const File& file = files_[placement.placed];
        if (!steps_->place(file.folder.get(), file.temporary, file.name, file.replace)) {
            placement.error = errno != 0 ? errno : EIO;
            break;
        }
    }
    for (std::size_t i = 0; i < placement.placed; ++i) ::fsync(files_[i].folder.get());
    files_.erase(files_.begin(), files_.begin() + static_cast<std::ptrdiff_t>(placement.placed));
    abandon();
    return placement;
}

void StagedFiles::abandon() noexcept {
    for (const File& file : files_) ::unlinkat(file.folder.get(), file.temporary.c_str(), 0);
    files_.clear();
}

}  // namespace file_access
