#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "photo_analysis/components.hpp"
#include "photo_analysis/rgba_view.hpp"

namespace photo_analysis {

// Reads text lines in an image. Made once by its owner and handed to detection;
// one call at a time.
class TextRecognizer {
public:
    // One line of text and the confidence (0…1) of its best reading; the box in
    // fractions of the image's width and height, y downwards.
    struct Line {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
        float confidence = 0;
        std::string text;
    };

    virtual ~TextRecognizer() = default;
    virtual std::vector<Line> recognizeLines(const RgbaView& image) = 0;
    // False when the recogniser can read nothing whatever the image (its
    // language data is missing).
    virtual bool isAvailable() const { return true; }
};

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
