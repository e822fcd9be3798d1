// The ".homeyignore" line for any old bytes: the file with the appended text
// keeps every old byte, so every old line, and ends with "sources/" on a line
// of its own; nothing is appended only when a line already keeps the sources out.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "writer/ignore_file.hpp"

using namespace homey_project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view old(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> entry = ignore_file::entryFor(old);
    if (!entry) {
        // Said already: the same bytes with any further line still need nothing.
        if (ignore_file::entryFor(std::string(old) + "\nnode_modules\n")) std::abort();
        return 0;
    }
    const std::string after = std::string(old) + *entry;
    if (!after.ends_with("sources/\n")) std::abort();
    const std::size_t start = after.size() - std::string_view("sources/\n").size();
    if (start != 0 && after[start - 1] != '\n') std::abort();
    // Once appended, nothing more is needed.
    if (ignore_file::entryFor(after)) std::abort();
    return 0;
}
