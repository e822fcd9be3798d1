#pragma once

// What the editor's photo operations share: how a failed photo task shows.

#include <exception>

#include "glyphsmith_state/app_error.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace glyphsmith_state {

// The photo analysis's failures by their case; anything else (a file that cannot
// be read, memory) as an unreadable photo.
inline AppError photoTaskError(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const photo_analysis::PhotoAnalysisError& error) {
        return appError(error);
    } catch (...) {
    }
    return AppError::unreadablePhoto();
}

// A detection run that failed outright: the photo analysis's reason when it
// gave one, else a face not found.
inline AppError detectionTaskError(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const photo_analysis::PhotoAnalysisError& error) {
        return appError(error);
    } catch (...) {
    }
    return AppError::noFaceFound();
}

}  // namespace glyphsmith_state
