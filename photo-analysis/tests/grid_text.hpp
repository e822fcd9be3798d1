#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster/components.hpp"

namespace photo_analysis::testing {

// A mask drawn as rows of text, '#' for a set cell.
struct TextGrid {
    std::vector<bool> cells;
    int width = 0;
    int height = 0;
};

inline TextGrid gridFromRows(const std::vector<std::string>& rows) {
    TextGrid grid;
    grid.height = static_cast<int>(rows.size());
    grid.width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    for (const std::string& row : rows) {
        for (char c : row) grid.cells.push_back(c == '#');
    }
    return grid;
}

// A solid w × h mark at (x, y) of a grid `gridWidth` cells wide.
inline Components::Component rectangleMark(int x, int y, int w, int h, int gridWidth) {
    Components::Component mark;
    mark.width = gridWidth;
    mark.minX = x;
    mark.minY = y;
    mark.maxX = x + w - 1;
    mark.maxY = y + h - 1;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) mark.pixels.push_back(static_cast<std::int64_t>(j) * gridWidth + i);
    }
    return mark;
}

}  // namespace photo_analysis::testing
