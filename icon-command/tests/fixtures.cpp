#include "fixtures.hpp"

#include <zlib.h>

#include <algorithm>

namespace icon_command::testing {

namespace fs = std::filesystem;

std::string bombPng() {
    std::string png = whitePng(8);
    // The IHDR chunk: its length at 8, its type at 12, width and height at 16
    // and 20, its checksum over type and data at 29.
    for (const std::size_t at : {std::size_t{16}, std::size_t{20}}) {
        png[at] = 0x00;
        png[at + 1] = 0x01;
        png[at + 2] = char(0x86);
        png[at + 3] = char(0xA0);
    }
    const auto crc = ::crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    for (int i = 0; i < 4; ++i) png[29 + std::size_t(i)] = char((crc >> (24 - 8 * i)) & 0xFF);
    return png;
}

std::vector<std::pair<std::string, std::string>> tree(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path relative = fs::relative(it->path(), folder);
        if (it->is_symlink()) {
            entries.emplace_back(relative.string(), "-> " + fs::read_symlink(it->path()).string());
            it.disable_recursion_pending();
        } else if (it->is_regular_file()) {
            entries.emplace_back(relative.string(), readText(it->path().string()));
        } else {
            entries.emplace_back(relative.string() + "/", "");
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace icon_command::testing
