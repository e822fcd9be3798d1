#pragma once

#include <cstddef>
#include <exception>
#include <functional>

namespace photo_analysis {

// The one failure of the photo analysis: a photo that cannot be read, a photo
// in which no subject is found, an image that cannot be drawn or encoded; and,
// for callers that turn a detection's status into a failure, a face holding
// more marks than a device's, or text recognition without its language data.
class PhotoAnalysisError : public std::exception {
public:
    enum class Kind { unreadableImage, noSubjectFound, renderingFailed, tooManyMarks, textRecognitionUnavailable };

    explicit PhotoAnalysisError(Kind kind) : kind_(kind) {}
    static PhotoAnalysisError unreadableImage() { return PhotoAnalysisError(Kind::unreadableImage); }
    static PhotoAnalysisError noSubjectFound() { return PhotoAnalysisError(Kind::noSubjectFound); }
    static PhotoAnalysisError renderingFailed() { return PhotoAnalysisError(Kind::renderingFailed); }
    static PhotoAnalysisError tooManyMarks() { return PhotoAnalysisError(Kind::tooManyMarks); }
    static PhotoAnalysisError textRecognitionUnavailable() {
        return PhotoAnalysisError(Kind::textRecognitionUnavailable);
    }

    Kind kind() const { return kind_; }

    const char* what() const noexcept override {
        switch (kind_) {
            case Kind::unreadableImage:
                return "unreadable image";
            case Kind::noSubjectFound:
                return "no subject found";
            case Kind::renderingFailed:
                return "rendering failed";
            case Kind::tooManyMarks:
                return "too many marks";
            case Kind::textRecognitionUnavailable:
                return "text recognition unavailable";
        }
        return "photo analysis error";
    }

    friend bool operator==(const PhotoAnalysisError& a, const PhotoAnalysisError& b) { return a.kind_ == b.kind_; }

private:
    Kind kind_;
};

}  // namespace photo_analysis

template <>
struct std::hash<photo_analysis::PhotoAnalysisError> {
    std::size_t operator()(const photo_analysis::PhotoAnalysisError& e) const {
        return std::hash<int>()(static_cast<int>(e.kind()));
    }
};
