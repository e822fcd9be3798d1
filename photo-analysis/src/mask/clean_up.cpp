#include "mask/clean_up.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace photo_analysis {

namespace {
// Label of cells that are not inside, and of the frame.
constexpr std::uint32_t outside = 0xFFFFFFFFu;
}  // namespace

// The labels live on a grid one cell wider on every side whose frame is never
// inside: neighbours need no bounds checks and indices no division. An inside
// pixel not yet labelled holds 0.
SubjectMask cleanedUp(SubjectMask mask) {
    const std::size_t width = static_cast<std::size_t>(mask.width);
    const std::size_t height = static_cast<std::size_t>(mask.height);
    const std::size_t stride = width + 2;
    std::vector<std::uint8_t>& coverage = mask.coverage;

    // One 32-bit label per pixel.
    std::vector<std::uint32_t> labels(stride * (height + 2), outside);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = coverage.data() + y * width;
        std::uint32_t* cells = labels.data() + (y + 1) * stride + 1;
        for (std::size_t x = 0; x < width; ++x)
            if (row[x] >= SubjectMask::insideThreshold) cells[x] = 0;
    }

    // Components grown depth first from an explicit stack, neighbours pushed
    // right, left, down, up.
    std::vector<std::uint32_t> stack;
    std::uint32_t next = 0, kept = 0;
    std::size_t keptSize = 0;
    const std::ptrdiff_t steps[4] = {1, -1, static_cast<std::ptrdiff_t>(stride), -static_cast<std::ptrdiff_t>(stride)};
    for (std::size_t y = 1; y <= height; ++y) {
        for (std::size_t start = y * stride + 1, end = y * stride + width + 1; start < end; ++start) {
            if (labels[start] != 0) continue;
            const std::uint32_t label = ++next;
            std::size_t size = 0;
            labels[start] = label;
            stack.push_back(static_cast<std::uint32_t>(start));
            while (!stack.empty()) {
                const std::size_t i = stack.back();
                stack.pop_back();
                ++size;
                for (const std::ptrdiff_t step : steps) {
                    const std::size_t j = i + static_cast<std::size_t>(step);
                    if (labels[j] == 0) {
                        labels[j] = label;
                        stack.push_back(static_cast<std::uint32_t>(j));
                    }
                }
            }
            if (size > keptSize) {
                keptSize = size;
                kept = label;
            }
        }
    }

    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = coverage.data() + y * width;
        const std::uint32_t* cells = labels.data() + (y + 1) * stride + 1;
        for (std::size_t x = 0; x < width; ++x) {
            if (cells[x] != outside) {
                if (cells[x] != kept) row[x] = 0;
                continue;
            }
            if (row[x] == 0) continue;
            // A soft pixel stays only beside the kept component (the frame never is).
            const bool besideKept = kept != 0 && (cells[x + 1] == kept || cells[x - 1] == kept ||
                                                  cells[x + stride] == kept || cells[x - stride] == kept);
            if (!besideKept) row[x] = 0;
        }
    }
    return mask;
}

}  // namespace photo_analysis
