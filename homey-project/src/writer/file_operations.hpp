#pragma once

// The file operations of a project write, behind a small interface so that
// tests can change the disk between the checks and an entry, or make one fail.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace homey_project {

class FileOperations {
public:
    enum class Outcome { done, failed, exists };

    virtual ~FileOperations() = default;

    // Called before entry `index` (in plan order) is checked again and written.
    virtual void beforeEntry(std::size_t index, const std::filesystem::path& target) {
        (void)index;
        (void)target;
    }

    // The folder `name` inside the open folder `parent`, made when missing, opened
    // without following a link. A descriptor, or −1.
    virtual int openFolder(int parent, const std::string& name);

    // The bytes into a new file beside the target (created exclusively, with mode
    // 0666 under the umask), flushed to disk, then renamed over `name`; without
    // `replace` an existing file is never replaced (`exists`). No temporary file
    // is left behind on failure.
    virtual Outcome replaceFile(int folder, const std::string& name, std::string_view bytes, bool replace);

    // The bytes appended in one write to the regular, singly linked file `name`,
    // opened without following a link; on failure the file is cut back to its
    // former length.
    virtual Outcome appendToFile(int folder, const std::string& name, std::string_view bytes);
};

}  // namespace homey_project
