#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

#include "detection/text_lines.hpp"
#include "photo_analysis/detected_feature.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/rgba_view.hpp"
#include "raster/components.hpp"
#include "raster/lab.hpp"

// The stages of detail detection, one function each, so that they can be
// measured apart. All sizes are in working pixels.
namespace photo_analysis::detail_detection {

// Beyond this many marks the face is noise, not a device: the marks are
// dropped rather than compared pairwise.
inline constexpr std::size_t maximumMarks = 20000;

// A mark whose longer box side exceeds this many times its shorter side is a
// line, however solid: a bar's thickness measures as its full width, so without
// this bound separators would come out as dots and shapeless outlines. Round and
// pill-shaped lights (up to about 2 : 1) and compact filled marks stay below it.
inline constexpr double maximumSolidElongation = 3.0;

// The face at the working size with its masks.
struct WorkingFace {
    LabImage lab;
    int width = 0;
    int height = 0;
    std::vector<bool> face;           // inside the face's outline
    std::vector<float> edgeDistance;  // to the nearest pixel outside the face or the image
    std::vector<bool> inner;          // farther than the margin from the edge
    std::size_t innerCount = 0;
    std::vector<bool> region;  // parts of the face in another colour, holes filled

    // Working pixels to face units.
    Vector2 toFace(Vector2 p) const;
};

// Lab image, face mask, edge distance, inner mask and regions; nothing when
// the image cannot be converted or the face has no inner pixel.
std::optional<WorkingFace> workingFace(const RgbaView& image, const std::optional<icon_geometry::FaceShape>& shape,
                                       const FeatureDetection::Options& options);

// The contrast of each pixel against its local background, and the statistics
// of the inner pixels' contrasts.
struct ContrastPass {
    std::vector<float> contrast;
    double threshold = 0;
    double sigma = 0;
    double median = 0;
};

ContrastPass contrastPass(const WorkingFace& face, const std::vector<bool>& excluded, int radius,
                          const FeatureDetection::Options& options);

// The pixels of marks: strong contrast, and weaker contrast next to it.
struct MarkPixels {
    std::vector<bool> marks;
    std::vector<float> contrast;  // of the second pass
    double threshold = 0;         // of the second pass
};

// Both contrast passes, the second without the surroundings of the first's seeds.
MarkPixels markPixels(const WorkingFace& face, const FeatureDetection::Options& options);

// The recognised text lines of the face image read at the working size; none
// without a recogniser or when text is not excluded.
std::vector<TextLines::Rectangle> textRectangles(const RgbaView& image, const WorkingFace& face,
                                                 const FeatureDetection::Options& options, TextRecognizer* recognizer);

// Rib strokes, region boundaries, pictograms, button edges and the classified
// marks, in that order, finite or not; tooManyMarks, without the marks, when
// there are more than maximumMarks. Clears the rib bands from the mark pixels.
FeatureDetection::Detection features(const WorkingFace& face, MarkPixels& pixels,
                                     const std::vector<TextLines::Rectangle>& text,
                                     const FeatureDetection::Options& options, const TraceSink& trace = {},
                                     double elongationBound = maximumSolidElongation);

// The components of the mark pixels large enough to be marks; nothing when
// there are more than maximumMarks.
std::optional<std::vector<Components::Component>> marks(const std::vector<bool>& pixels, int width, int height,
                                                        double smallestMark);

// How one mark reads: nothing, a dot, an outline, or strokes.
void classify(const Components::Component& mark, const WorkingFace& face, const MarkPixels& pixels,
              const FeatureDetection::Options& options, double elongationBound, std::vector<DetectedFeature>& out);

// Every number of the feature is finite.
bool isFinite(const DetectedFeature& feature);

}  // namespace photo_analysis::detail_detection
