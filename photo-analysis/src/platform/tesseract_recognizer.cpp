#include "photo_analysis/tesseract_recognizer.hpp"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "platform/over_white.hpp"

// Tesseract's recogniser runs OpenMP regions with a fixed thread count, which
// only the limit on active parallel levels overrides.
extern "C" {
void omp_set_max_active_levels(int levels);
int omp_get_max_active_levels(void);
}

namespace photo_analysis {

namespace {

// Recognition on the calling thread alone: with no active parallel level
// allowed, every OpenMP region runs on the thread that reaches it. The previous
// limit is put back afterwards.
class SingleThreaded {
public:
    SingleThreaded() : saved_(omp_get_max_active_levels()) { omp_set_max_active_levels(0); }
    ~SingleThreaded() { omp_set_max_active_levels(saved_); }
    SingleThreaded(const SingleThreaded&) = delete;
    SingleThreaded& operator=(const SingleThreaded&) = delete;

private:
    int saved_;
};

// Where Debian's tesseract-ocr-eng and tesseract-ocr-fra put their data.
constexpr const char* systemDataFolder = "/usr/share/tesseract-ocr/5/tessdata";
// Faces are analysed around 720 pixels high for about 8 cm of device: roughly
// 200–300 dpi. Telling Tesseract keeps it from guessing (and from saying so).
constexpr const char* assumedDpi = "300";
// Tesseract refuses larger images; faces never come near.
constexpr int maximumSide = 32767;

bool hasLanguage(const std::filesystem::path& folder, const char* language) {
    std::error_code error;
    return std::filesystem::is_regular_file(folder / (std::string(language) + ".traineddata"), error);
}

class TesseractRecognizer final : public TextRecognizer {
public:
    explicit TesseractRecognizer(const std::optional<std::filesystem::path>& dataFolder) {
        std::filesystem::path folder = systemDataFolder;
        if (dataFolder) {
            folder = *dataFolder;
        } else if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix != nullptr && *prefix != '\0') {
            folder = prefix;
        }
        // Tesseract prints to the terminal when a language file is missing,
        // whatever its debug file says: only ask for languages that are there.
        std::string languages;
        for (const char* language : {"eng", "fra"}) {
            if (!hasLanguage(folder, language)) continue;
            if (!languages.empty()) languages += '+';
            languages += language;
        }
        if (languages.empty()) return;
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        std::vector<std::string> names{"debug_file"};
        std::vector<std::string> values{"/dev/null"};
        if (api->Init(folder.c_str(), languages.c_str(), tesseract::OEM_DEFAULT, nullptr, 0, &names, &values, false) !=
            0) {
            return;
        }
        api->SetVariable("debug_file", "/dev/null");
        api->SetVariable("user_defined_dpi", assumedDpi);
        api->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
        api_ = std::move(api);
    }

    ~TesseractRecognizer() override {
        if (api_) api_->End();
    }

    bool isAvailable() const override { return api_ != nullptr; }

    std::vector<Line> recognizeLines(const RgbaView& image) override {
        std::vector<Line> lines;
        if (image.width <= 0 || image.height <= 0 || image.width > maximumSide || image.height > maximumSide) {
            return lines;
        }
        if (image.pixels.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
            return lines;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!api_) return lines;
        const std::optional<std::vector<std::uint8_t>> rgb = platform::overWhite(image, image.width, image.height);
        if (!rgb) return lines;
        const SingleThreaded oneThread;
        api_->SetImage(rgb->data(), image.width, image.height, 3, image.width * 3);
        if (api_->Recognize(nullptr) == 0) {
            const std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
            constexpr tesseract::PageIteratorLevel level = tesseract::RIL_TEXTLINE;
            if (it) {
                do {
                    int left = 0, top = 0, right = 0, bottom = 0;
                    if (!it->BoundingBox(level, &left, &top, &right, &bottom)) continue;
                    const std::unique_ptr<char[]> text(it->GetUTF8Text(level));
                    Line line;
                    line.x = static_cast<double>(left) / image.width;
                    line.y = static_cast<double>(top) / image.height;
                    line.width = static_cast<double>(right - left) / image.width;
                    line.height = static_cast<double>(bottom - top) / image.height;
                    line.confidence = it->Confidence(level) / 100.0f;
                    line.text = text ? std::string(text.get()) : std::string();
                    while (!line.text.empty() && (line.text.back() == '\n' || line.text.back() == ' ')) {
                        line.text.pop_back();
                    }
                    lines.push_back(std::move(line));
                } while (it->Next(level));
            }
        }
        api_->Clear();
        return lines;
    }

private:
    std::mutex mutex_;
    std::unique_ptr<tesseract::TessBaseAPI> api_;  // absent without language data
};

}  // namespace

std::unique_ptr<TextRecognizer> makeTesseractRecognizer(const std::optional<std::filesystem::path>& dataFolder) {
    return std::make_unique<TesseractRecognizer>(dataFolder);
}

}  // namespace photo_analysis
