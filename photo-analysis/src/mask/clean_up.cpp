#include "mask/clean_up.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace photo_analysis {

SubjectMask cleanedUp(SubjectMask mask) {
    const std::size_t width = static_cast<std::size_t>(mask.width);
    const std::size_t height = static_cast<std::size_t>(mask.height);
    const std::size_t count = width * height;
    std::vector<std::uint8_t>& coverage = mask.coverage;
    const auto inside = [&](std::size_t i) { return coverage[i] >= SubjectMask::insideThreshold; };

    // Labels grown depth first from an explicit stack, neighbours pushed right,
    // left, down, up; one 32-bit label per pixel.
    std::vector<std::uint32_t> labels(count, 0);
    std::vector<std::size_t> stack;
    std::uint32_t next = 0, kept = 0;
    std::size_t keptSize = 0;
    for (std::size_t start = 0; start < count; ++start) {
        if (!inside(start) || labels[start] != 0) continue;
        const std::uint32_t label = ++next;
        std::size_t size = 0;
        labels[start] = label;
        stack.push_back(start);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            stack.pop_back();
            ++size;
            const std::size_t x = i % width, y = i / width;
            const auto visit = [&](std::size_t j) {
                if (labels[j] == 0 && inside(j)) {
                    labels[j] = label;
                    stack.push_back(j);
                }
            };
            if (x + 1 < width) visit(i + 1);
            if (x > 0) visit(i - 1);
            if (y + 1 < height) visit(i + width);
            if (y > 0) visit(i - width);
        }
        if (size > keptSize) {
            keptSize = size;
            kept = label;
        }
    }

    for (std::size_t i = 0; i < count; ++i) {
        if (labels[i] != 0) {
            if (labels[i] != kept) coverage[i] = 0;
            continue;
        }
        if (coverage[i] == 0) continue;
        // A soft pixel stays only beside the kept component.
        const std::size_t x = i % width, y = i / width;
        const bool besideKept =
            (kept != 0) && ((x + 1 < width && labels[i + 1] == kept) || (x > 0 && labels[i - 1] == kept) ||
                            (y + 1 < height && labels[i + width] == kept) || (y > 0 && labels[i - width] == kept));
        if (!besideKept) coverage[i] = 0;
    }
    return mask;
}

}  // namespace photo_analysis
