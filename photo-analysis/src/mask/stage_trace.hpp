#pragma once

#include <string>
#include <string_view>

#include "icon_geometry/number_text.hpp"
#include "photo_analysis/trace_sink.hpp"
#include "trace.hpp"

namespace photo_analysis::cut_out {

// The cut-out traces its decisions with face finding's, under FACE_DEBUG: the
// mask decides which face is found.
inline constexpr const char* traceVariable = "FACE_DEBUG";

// A stage's trace, looked up once when the stage starts: false without a sink
// or without FACE_DEBUG, so that a stage builds its lines, and counts what
// only they show, only when someone reads them.
class StageTrace {
public:
    explicit StageTrace(const TraceSink& sink) : sink_(trace::enabled(sink, traceVariable) ? &sink : nullptr) {}
    explicit operator bool() const { return sink_ != nullptr; }
    void operator()(std::string_view line) const {
        if (sink_) (*sink_)(line);
    }

private:
    const TraceSink* sink_;
};

// Numbers as the traces write them.
inline std::string traced(double value, int decimals = 2) {
    return icon_geometry::NumberText::fixed(value, decimals);
}
inline std::string traced(int value) {
    return icon_geometry::NumberText::integer(value);
}
inline std::string percent(double share) {
    return icon_geometry::NumberText::fixed(100 * share, 1) + " %";
}

}  // namespace photo_analysis::cut_out
