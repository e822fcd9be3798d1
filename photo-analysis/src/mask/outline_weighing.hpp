#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// A flat wall's mask from one background colour (`wall`, over white) with its
// outline weighed: a colour threshold keeps every pixel past it, so the outline
// sits at the outer foot of the photo's blurred step, a pixel or more out on
// every side. Each pixel within a few pixels of the outside gets the share of
// the step it has made, its departure from the wall over the least departure
// of the subject's inner pixels beside it; the least, so that a bright or dark
// detail near the edge never makes the step look taller. Pixels with no inner
// pixel beside them (a thin cable's run) keep their coverage.
void weighOutline(const Photo& photo, const std::array<double, 3>& wall, std::vector<std::uint8_t>& coverage,
                  const WeighingOptions& options = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
