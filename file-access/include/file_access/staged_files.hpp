#pragma once

// Several files replaced together: every one is staged in full first, and only
// then are they renamed over their targets, so that a failure while staging
// replaces nothing.

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_access/descriptor.hpp"

namespace file_access {

// The two steps of a staged write, behind an interface so that tests can make
// either fail for a given file.
class StagingSteps {
public:
    virtual ~StagingSteps() = default;
    // As file_access::stageFile.
    virtual std::optional<std::string> stage(int folder, const std::string& name, std::string_view bytes,
                                             std::optional<mode_t> mode);
    // As file_access::placeStaged; errno tells why on failure.
    virtual bool place(int folder, const std::string& temporary, const std::string& name, bool replace);
};

class StagedFiles {
public:
    // How the renames ended: `placed` files renamed, in staging order; `error`
    // is the errno of the rename that failed, 0 when all were placed.
    struct Placement {
        std::size_t placed = 0;
        int error = 0;
        [[nodiscard]] bool complete() const { return error == 0; }
    };

    StagedFiles() : steps_(&ownSteps_) {}
    explicit StagedFiles(StagingSteps& steps) : steps_(&steps) {}
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    // Whatever is staged and not placed is removed.
    ~StagedFiles() { abandon(); }

    // Stages the bytes for `name` in the open folder (its descriptor is
    // duplicated, so the caller may close its own), after removing the folder's
    // abandoned temporary files the first time the folder is seen. False on
    // failure (a folder standing at the name among them), with nothing new
    // left on disk.
    [[nodiscard]] bool stage(int folder, const std::string& name, std::string_view bytes, bool replace,
                             std::optional<mode_t> mode = std::nullopt);

    [[nodiscard]] std::size_t size() const { return files_.size(); }

    // Renames every staged file over its target in staging order, then flushes
    // their folders. Stops at the first rename that fails and removes the
    // temporary files of that one and the rest.
    [[nodiscard]] Placement placeAll();

    // Removes every staged temporary file; nothing is replaced.
    void abandon() noexcept;

private:
    struct File {
        Descriptor folder;
        std::string temporary;
        std::string name;
        bool replace = false;
    };
    StagingSteps ownSteps_;
    StagingSteps* steps_;
    std::vector<File> files_;
    std::vector<std::pair<dev_t, ino_t>> cleanedFolders_;
};

}  // namespace file_access
