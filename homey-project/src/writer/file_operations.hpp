#pragma once

// The file operations of a project write, behind a small interface so that
// tests can change the disk between the checks and an entry, or make one fail:
// staging a file and putting it in place come from file_access::StagingSteps.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "file_access/staged_files.hpp"

namespace homey_project {

class FileOperations : public file_access::StagingSteps {
public:
    enum class Outcome { done, failed };

    // Called before entry `index` (in plan order) is checked again and staged.
    virtual void beforeEntry(std::size_t index, const std::filesystem::path& target) {
        (void)index;
        (void)target;
    }

    // The folder `name` inside the open folder `parent`, made when missing
    // (`made` then true), opened without following a link. A descriptor, or −1.
    virtual int openFolder(int parent, const std::string& name, bool& made);

    // The bytes appended in one write to the regular, singly linked file `name`,
    // opened without following a link; on failure the file is cut back to its
    // former length.
    virtual Outcome appendToFile(int folder, const std::string& name, std::string_view bytes);

    // Takes an append back: the file cut to `length`, but only while it is still
    // `appendedLength` long, so that what another program added since stays.
    virtual void cutBack(int folder, const std::string& name, off_t length, off_t appendedLength);
};

}  // namespace homey_project
