#pragma once

#include <string>
#include <vector>

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

}  // namespace photo_analysis
