#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {

// The kind of PhotoAnalysisError the call throws; a test failure when it throws none.
inline PhotoAnalysisError::Kind failureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const PhotoAnalysisError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no failure";
    return PhotoAnalysisError::Kind::renderingFailed;
}

}  // namespace photo_analysis
