#pragma once

// What the editor's photo operations share: how a failed photo task shows.

#include <exception>

#include "glyphsmith_state/app_error.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace glyphsmith_state {

// The photo analysis's failures by their case; anything else (a file that cannot
// be read, memory) as `otherwise`, an unreadable photo unless the task says.
inline AppError photoTaskError(const std::exception_ptr& failure, AppError otherwise = AppError::unreadablePhoto()) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const photo_analysis::PhotoAnalysisError& error) {
        return appError(error);
    } catch (...) {
    }
    return otherwise;
}

}  // namespace glyphsmith_state
