#pragma once

#include <optional>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// A photo with real transparency, a product cut out by its maker: transparent
// along its border and opaque somewhere inside. Its alpha is the exact outline
// of what it shows, and is taken as the mask, before any clean-up. Nothing for
// a photo without such transparency, opaque or transparent all over.
std::optional<SubjectMask> alphaSubject(const Photo& photo, const AlphaOptions& options = {},
                                        const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
