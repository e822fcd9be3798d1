#pragma once

// Projects made on the disk at test time, removed afterwards.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace homey_project::testing {

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "homey-project-XXXXXX").native();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryFolder() {
        std::error_code error;
        // Read-only folders made by a test must not keep their contents.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error))
            if (it->is_directory(error) && !it->is_symlink(error))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(path_, error);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

    // Writes a file, making its folders.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    std::filesystem::path folder(std::string_view relative) const {
        std::filesystem::create_directories(path_ / relative);
        return path_ / relative;
    }
    void link(std::string_view relative, const std::filesystem::path& target) const {
        std::filesystem::create_directories((path_ / relative).parent_path());
        std::filesystem::create_symlink(target, path_ / relative);
    }
    void fifo(std::string_view relative) const {
        std::filesystem::create_directories((path_ / relative).parent_path());
        ::mkfifo((path_ / relative).c_str(), 0644);
    }

private:
    std::filesystem::path path_;
};

inline std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace homey_project::testing
