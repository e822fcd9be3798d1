#pragma once

#include <cstddef>
#include <set>
#include <vector>

#include "photo_analysis/rgba_view.hpp"
#include "photo_analysis/text_recognizer.hpp"
#include "raster/components.hpp"

namespace photo_analysis {

// Finds lettering on a face, by reading it and by rows of letter-sized marks.
namespace TextLines {

// A rectangle in working-image pixels, y downwards.
struct Rectangle {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend constexpr bool operator==(const Rectangle&, const Rectangle&) = default;
};

// The smallest line read, as a share of the image height.
inline constexpr double minimumTextHeight = 0.015;
inline constexpr float minimumConfidence = 0.3f;
// Taller "lines" are the recogniser reading the face's details as text.
inline constexpr double maximumTextHeight = 0.1;

// The recognised lines worth trusting, in the working size width × height,
// grown by 0.15 of their height on the left and right and 0.25 above and below,
// in the recogniser's order.
std::vector<Rectangle> recognize(TextRecognizer& recognizer, const RgbaView& image, int width, int height);
// The rules of `recognize` over lines already read.
std::vector<Rectangle> trustedLines(const std::vector<TextRecognizer::Line>& lines, int width, int height);

// The marks that belong to rows of four or more letter-sized marks, letters at
// most `largestLetterHeight` pixels high.
std::set<std::size_t> letterIndices(const std::vector<Components::Component>& marks, double largestLetterHeight);

}  // namespace TextLines
}  // namespace photo_analysis
