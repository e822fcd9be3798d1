#include "mask/clean_up.hpp"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {

namespace {

// A horizontal run of inside pixels, [begin, end) in its row.
struct Run {
    std::uint32_t row, begin, end;
};

std::uint32_t rootOf(std::vector<std::uint32_t>& parent, std::uint32_t r) {
    while (parent[r] != r) {
        parent[r] = parent[parent[r]];
        r = parent[r];
    }
    return r;
}

}  // namespace

// Components are unions of runs: runs in neighbouring rows that share a column
// touch (4-connectivity). Runs are numbered in row-major order and a union
// keeps the smaller number as the root, so a component's root is its first run,
// the one holding its first pixel: the tie between equal sizes goes to it.
// Memory is a few words per run, not per pixel.
SubjectMask cleanedUp(SubjectMask mask) {
    const std::size_t width = static_cast<std::size_t>(mask.width);
    const std::size_t height = static_cast<std::size_t>(mask.height);
    std::vector<std::uint8_t>& coverage = mask.coverage;

    std::vector<Run> runs;
    std::vector<std::size_t> rowStart(height + 1, 0);
    for (std::size_t y = 0; y < height; ++y) {
        rowStart[y] = runs.size();
        const std::uint8_t* row = coverage.data() + y * width;
        std::size_t x = 0;
        while (x < width) {
            while (x < width && row[x] < SubjectMask::insideThreshold) ++x;
            if (x == width) break;
            const std::size_t begin = x;
            while (x < width && row[x] >= SubjectMask::insideThreshold) ++x;
            runs.push_back(
                {static_cast<std::uint32_t>(y), static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(x)});
        }
    }
    rowStart[height] = runs.size();

    std::vector<std::uint32_t> parent(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) parent[r] = static_cast<std::uint32_t>(r);
    const auto unite = [&](std::uint32_t a, std::uint32_t b) {
        a = rootOf(parent, a);
        b = rootOf(parent, b);
        if (a < b) parent[b] = a;
        if (b < a) parent[a] = b;
    };
    for (std::size_t y = 1; y < height; ++y) {
        // Runs of this row against those of the row above, both sorted by column.
        std::size_t above = rowStart[y - 1];
        for (std::size_t r = rowStart[y]; r < rowStart[y + 1]; ++r) {
            while (above < rowStart[y] && runs[above].end <= runs[r].begin) ++above;
            for (std::size_t a = above; a < rowStart[y] && runs[a].begin < runs[r].end; ++a)
                unite(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(r));
        }
    }

    std::vector<std::size_t> size(runs.size(), 0);
    for (std::size_t r = 0; r < runs.size(); ++r)
        size[rootOf(parent, static_cast<std::uint32_t>(r))] += runs[r].end - runs[r].begin;
    std::size_t kept = runs.size(), keptSize = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (size[r] > keptSize) {
            keptSize = size[r];
            kept = r;
        }
    }

    // Inside pixels of other components go; what stays inside is the kept one.
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (rootOf(parent, static_cast<std::uint32_t>(r)) == kept) continue;
        std::uint8_t* row = coverage.data() + runs[r].row * width;
        for (std::size_t x = runs[r].begin; x < runs[r].end; ++x) row[x] = 0;
    }
    // A soft pixel stays only beside the kept component.
    const auto inside = [&](std::size_t i) { return coverage[i] >= SubjectMask::insideThreshold; };
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = coverage.data() + y * width;
        for (std::size_t x = 0; x < width; ++x) {
            if (row[x] == 0 || row[x] >= SubjectMask::insideThreshold) continue;
            const std::size_t i = y * width + x;
            const bool beside = (x + 1 < width && inside(i + 1)) || (x > 0 && inside(i - 1)) ||
                                (y + 1 < height && inside(i + width)) || (y > 0 && inside(i - width));
            if (!beside) row[x] = 0;
        }
    }
    return mask;
}

SubjectMask finishedMask(SubjectMask mask) {
    SubjectMask cleaned = cleanedUp(std::move(mask));
    if (!cleaned.boundingBox()) throw PhotoAnalysisError::noSubjectFound();
    return cleaned;
}

}  // namespace photo_analysis
