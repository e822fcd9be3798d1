#include "mask/wall_field.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace photo_analysis::cut_out {

namespace {

// The quadratic terms of a position, in coordinates that run over −1…1 along
// the longer side, so the fit stays well conditioned at any size.
struct Terms {
    double centreX, centreY, scale;
    std::array<double, 6> at(int x, int y) const {
        const double u = (x + 0.5 - centreX) / scale, v = (y + 0.5 - centreY) / scale;
        return {1.0, u, v, u * u, u * v, v * v};
    }
};

// 1.4826 × the median absolute value: the spread of normal noise, unmoved by outliers.
double robustSpread(std::vector<double> values) {
    if (values.empty()) return 0;
    for (double& v : values) v = std::abs(v);
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return 1.4826 * *middle;
}

}  // namespace

BackgroundField fittedField(const cv::Mat& rgb, double bandShare, const FieldOptions& options) {
    const int band = std::max(2, static_cast<int>(std::lround(bandShare * std::max(rgb.cols, rgb.rows))));
    const Terms terms{rgb.cols / 2.0, rgb.rows / 2.0, std::max(rgb.cols, rgb.rows) / 2.0};
    struct Sample {
        std::array<double, 6> terms;
        std::array<double, 3> colour;
    };
    std::vector<Sample> samples;
    for (int y = 0; y < rgb.rows; ++y) {
        const bool edgeRow = y < band || y >= rgb.rows - band;
        const std::uint8_t* row = rgb.ptr<std::uint8_t>(y);
        for (int x = 0; x < rgb.cols; ++x) {
            if (!edgeRow && x >= band && x < rgb.cols - band) x = rgb.cols - band;
            const std::uint8_t* p = row + 3 * x;
            samples.push_back({terms.at(x, y), {double(p[0]), double(p[1]), double(p[2])}});
        }
    }

    std::array<cv::Mat, 3> coefficients;
    // A first cut about the band's median colour, so that a subject crossing
    // the border (bright on a dark wall, say) does not bend the first fit.
    std::vector<char> kept(samples.size(), 1);
    for (int c = 0; c < 3; ++c) {
        std::vector<double> values(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) values[i] = samples[i].colour[c];
        const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        const double median = *middle;
        for (double& v : values) v -= median;
        const double spread = std::max(robustSpread(values), options.medianCutFloor);
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (std::abs(samples[i].colour[c] - median) > options.medianCutSpreads * spread) kept[i] = 0;
    }
    double noise = 0;
    for (int pass = 0; pass < options.fitPasses; ++pass) {
        cv::Mat normal = cv::Mat::zeros(6, 6, CV_64F), right = cv::Mat::zeros(6, 3, CV_64F);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (!kept[i]) continue;
            const Sample& s = samples[i];
            for (int a = 0; a < 6; ++a) {
                for (int b = 0; b < 6; ++b) normal.at<double>(a, b) += s.terms[a] * s.terms[b];
                for (int c = 0; c < 3; ++c) right.at<double>(a, c) += s.terms[a] * s.colour[c];
            }
        }
        cv::Mat solution;
        if (!cv::solve(normal, right, solution, cv::DECOMP_SVD)) break;
        for (int c = 0; c < 3; ++c) coefficients[c] = solution.col(c).clone();
        // Residuals of every sample, the spread from those kept.
        std::array<std::vector<double>, 3> residuals;
        std::vector<std::array<double, 3>> all(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            for (int c = 0; c < 3; ++c) {
                double fit = 0;
                for (int a = 0; a < 6; ++a) fit += coefficients[c].at<double>(a) * samples[i].terms[a];
                all[i][c] = samples[i].colour[c] - fit;
                if (kept[i]) residuals[c].push_back(all[i][c]);
            }
        }
        noise = 0;
        std::array<double, 3> spread;
        for (int c = 0; c < 3; ++c) {
            spread[c] = std::max(robustSpread(residuals[c]), options.leastSpread);
            noise = std::max(noise, spread[c]);
        }
        for (std::size_t i = 0; i < samples.size(); ++i) {
            kept[i] = 1;
            for (int c = 0; c < 3; ++c)
                if (std::abs(all[i][c]) > options.outlierSpreads * spread[c]) kept[i] = 0;
        }
    }

    BackgroundField field;
    field.noise = noise;
    field.departure = std::max(options.departureSpreads * noise, options.minimumDeparture);
    field.colours.create(rgb.size(), CV_32FC3);
    for (int y = 0; y < rgb.rows; ++y) {
        float* q = field.colours.ptr<float>(y);
        for (int x = 0; x < rgb.cols; ++x, q += 3) {
            const std::array<double, 6> t = terms.at(x, y);
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                if (!coefficients[c].empty())
                    for (int a = 0; a < 6; ++a) v += coefficients[c].at<double>(a) * t[a];
                q[c] = static_cast<float>(v);
            }
        }
    }
    return field;
}

cv::Mat fieldDistance(const cv::Mat& rgb, const BackgroundField& field, double sigma) {
    cv::Mat difference;
    rgb.convertTo(difference, CV_32FC3);
    difference -= field.colours;
    if (sigma > 0) cv::GaussianBlur(difference, difference, cv::Size(0, 0), sigma);
    cv::Mat squared = difference.mul(difference);
    cv::Mat distance;
    cv::transform(squared, distance, cv::Matx13f(1, 1, 1));
    cv::sqrt(distance, distance);
    return distance;
}

}  // namespace photo_analysis::cut_out
