#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "photo_analysis/text_recognizer.hpp"

namespace photo_analysis {

// The production text recogniser: Tesseract with English and French, sparse
// text. Loading the languages takes a few hundred milliseconds, so make it once
// and keep it. Without the language data (in `dataFolder`, else the folder
// TESSDATA_PREFIX names, else the system's) it reads nothing and says it is not
// available.
std::unique_ptr<TextRecognizer> makeTesseractRecognizer(const std::optional<std::filesystem::path>& dataFolder = {});

}  // namespace photo_analysis
