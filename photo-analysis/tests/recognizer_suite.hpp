#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "photo_analysis/tesseract_recognizer.hpp"

namespace photo_analysis::testing {

// Loading Tesseract's languages is the slow part: one recogniser per suite.
class RecognizerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { recognizer_ = makeTesseractRecognizer(); }
    static void TearDownTestSuite() { recognizer_.reset(); }
    static inline std::unique_ptr<TextRecognizer> recognizer_;
};

}  // namespace photo_analysis::testing
