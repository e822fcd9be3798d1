#include "photo_analysis/tesseract_recognizer.hpp"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <opencv2/imgproc.hpp>
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

// Whether the ink in the box (pixels of the grey image) is one solid blob,
// round or square: an indicator or a dot the recogniser took for a letter. No
// letter or digit is one convex blob as wide as high; a ring or a bowl leaves
// its hole out of the ink.
bool isSolidBlob(const cv::Mat& grey, int left, int top, int right, int bottom) {
    // A margin of background around the box, which the threshold needs.
    const int margin = std::max(2, (bottom - top) / 4);
    const cv::Rect box = cv::Rect(left - margin, top - margin, right - left + 2 * margin, bottom - top + 2 * margin) &
                         cv::Rect(0, 0, grey.cols, grey.rows);
    if (box.width < 4 || box.height < 4) return false;
    const cv::Mat crop = grey(box);
    cv::Mat ink;
    cv::threshold(crop, ink, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    // The ink is whichever side the crop's border is not.
    const double borderInk = (cv::sum(ink.row(0))[0] + cv::sum(ink.row(ink.rows - 1))[0] + cv::sum(ink.col(0))[0] +
                              cv::sum(ink.col(ink.cols - 1))[0]) /
                             255.0 / (2.0 * (ink.rows + ink.cols));
    if (borderInk > 0.5) cv::bitwise_not(ink, ink);
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8);
    if (count < 2) return false;
    int largest = 1;
    for (int k = 2; k < count; ++k)
        if (stats.at<int>(k, cv::CC_STAT_AREA) > stats.at<int>(largest, cv::CC_STAT_AREA)) largest = k;
    const double blobPixels = stats.at<int>(largest, cv::CC_STAT_AREA);
    const double width = stats.at<int>(largest, cv::CC_STAT_WIDTH), height = stats.at<int>(largest, cv::CC_STAT_HEIGHT);
    // Nothing else of note in the box, and as wide as high within a third.
    if (cv::countNonZero(ink) > 1.1 * blobPixels || width < 0.75 * height || height < 0.75 * width) return false;
    // Solid: the blob fills its convex hull, counted in pixels as it is.
    std::vector<cv::Point> points;
    cv::findNonZero(labels == largest, points);
    std::vector<cv::Point> hull;
    cv::convexHull(points, hull);
    cv::Mat hullPixels = cv::Mat::zeros(ink.size(), CV_8U);
    cv::fillConvexPoly(hullPixels, hull, cv::Scalar(255));
    return blobPixels >= 0.9 * cv::countNonZero(hullPixels);
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
        const cv::Mat colour(image.height, image.width, CV_8UC3, const_cast<std::uint8_t*>(rgb->data()));
        cv::Mat grey;
        cv::cvtColor(colour, grey, cv::COLOR_RGB2GRAY);
        const SingleThreaded oneThread;
        api_->SetImage(rgb->data(), image.width, image.height, 3, image.width * 3);
        if (api_->Recognize(nullptr) == 0) {
            const std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
            constexpr tesseract::PageIteratorLevel level = tesseract::RIL_TEXTLINE;
            if (it) {
                do {
                    int left = 0, top = 0, right = 0, bottom = 0;
                    if (!it->BoundingBox(level, &left, &top, &right, &bottom)) continue;
                    if (isSolidBlob(grey, left, top, right, bottom)) continue;
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
