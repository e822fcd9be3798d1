#pragma once

#include <functional>
#include <string_view>

namespace photo_analysis {

// Where the diagnostic traces switched on by FACE_DEBUG and PICTO_DEBUG go, one
// line at a time without its line break. The library writes nowhere itself:
// without a sink the lines are dropped.
using TraceSink = std::function<void(std::string_view line)>;

}  // namespace photo_analysis
