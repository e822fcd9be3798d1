#pragma once

#include <optional>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// Whether the photo's border is one flat colour within a few levels, as a
// maker's product shot on white is, and as no wall under a room's light is.
bool isProductShot(const Photo& photo, const ProductShotOptions& options = {}, const TraceSink& sink = {});

// On such a photo, the background colour at the photo's own size: what departs
// from it is the device, with whatever its outline encloses (a white body
// inside a light grey rim), cleaned up, its outline weighed to the share of the
// step each of its pixels has made. Throws PhotoAnalysisError (noSubjectFound)
// when nothing departs.
SubjectMask productSubject(const Photo& photo, const ProductShotOptions& options = {},
                           const WeighingOptions& weighing = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
