#pragma once

// Icon documents for the tests: a 960 canvas with filled paths.

#include <string>

namespace homey_project::testing {

inline std::string iconWith(const std::string& body) {
    return R"(<svg xmlns="http://www.w3.org/2000/svg" width="960" height="960" viewBox="0 0 960 960">)" + body +
           "</svg>";
}

// A filled rectangle as canonical path data.
inline std::string rectanglePath(int x0, int y0, int x1, int y1) {
    const auto n = [](int v) { return std::to_string(v); };
    return R"(<path d="M)" + n(x0) + " " + n(y0) + "L" + n(x1) + " " + n(y0) + "L" + n(x1) + " " + n(y1) + "L" + n(x0) +
           " " + n(y1) + R"(Z"/>)";
}

// A bar across the canvas from left to right edge, 100 units high.
inline std::string wideIcon(int top = 430) {
    return iconWith(rectanglePath(0, top, 960, top + 100));
}

}  // namespace homey_project::testing
