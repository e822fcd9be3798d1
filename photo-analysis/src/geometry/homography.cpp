#include <algorithm>
#include <cmath>

#include "photo_analysis/face_rectification.hpp"

namespace photo_analysis {

namespace {

bool finite(Vector2 p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

bool FaceCorners::isFinite() const {
    return finite(topLeft) && finite(topRight) && finite(bottomRight) && finite(bottomLeft);
}

bool Homography::isFinite() const {
    return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
}

std::optional<Homography> Homography::fromPoints(std::span<const Vector2> from, std::span<const Vector2> to) {
    if (from.size() != 4 || to.size() != 4) return std::nullopt;
    if (!std::all_of(from.begin(), from.end(), finite) || !std::all_of(to.begin(), to.end(), finite)) {
        return std::nullopt;
    }
    double m[8][9];
    for (int i = 0; i < 4; ++i) {
        const double x = from[i].x, y = from[i].y, u = to[i].x, v = to[i].y;
        const double rowU[9] = {x, y, 1, 0, 0, 0, -u * x, -u * y, u};
        const double rowV[9] = {0, 0, 0, x, y, 1, -v * x, -v * y, v};
        std::copy(rowU, rowU + 9, m[2 * i]);
        std::copy(rowV, rowV + 9, m[2 * i + 1]);
    }
    // Gauss–Jordan with partial pivoting; on equal magnitudes the first row wins.
    for (int j = 0; j < 8; ++j) {
        int pivotRow = j;
        double largest = std::abs(m[j][j]);
        for (int r = j + 1; r < 8; ++r) {
            if (std::abs(m[r][j]) > largest) {
                largest = std::abs(m[r][j]);
                pivotRow = r;
            }
        }
        if (!(largest > 1e-12)) return std::nullopt;
        if (pivotRow != j) std::swap(m[pivotRow], m[j]);
        const double pivot = m[j][j];
        for (int l = 0; l < 8; ++l) {
            if (l == j) continue;
            const double factor = m[l][j] / pivot;
            for (int c = j; c < 9; ++c) m[l][c] -= factor * m[j][c];
        }
    }
    Homography result;
    for (int k = 0; k < 8; ++k) result.h[k] = m[k][8] / m[k][k];
    result.h[8] = 1;
    if (!result.isFinite()) return std::nullopt;
    return result;
}

Vector2 Homography::apply(double x, double y) const {
    const double w = h[6] * x + h[7] * y + h[8];
    return {(h[0] * x + h[1] * y + h[2]) / w, (h[3] * x + h[4] * y + h[5]) / w};
}

std::optional<Homography> Homography::inverted() const {
    if (!isFinite()) return std::nullopt;
    const auto& a = h;
    const double c0 = a[4] * a[8] - a[5] * a[7];
    const double c1 = a[5] * a[6] - a[3] * a[8];
    const double c2 = a[3] * a[7] - a[4] * a[6];
    const double det = a[0] * c0 + a[1] * c1 + a[2] * c2;
    if (!(std::abs(det) > 1e-15)) return std::nullopt;
    // Adjugate (transposed cofactors) over the determinant.
    Homography inverse;
    inverse.h = {c0 / det, (a[2] * a[7] - a[1] * a[8]) / det, (a[1] * a[5] - a[2] * a[4]) / det,
                 c1 / det, (a[0] * a[8] - a[2] * a[6]) / det, (a[2] * a[3] - a[0] * a[5]) / det,
                 c2 / det, (a[1] * a[6] - a[0] * a[7]) / det, (a[0] * a[4] - a[1] * a[3]) / det};
    // The inverse maps the origin through its last entry: zero there means the
    // origin lies on the original's vanishing line and no normalisation exists.
    const double last = inverse.h[8];
    double largest = 0;
    for (double v : inverse.h) largest = std::max(largest, std::abs(v));
    if (!std::isfinite(largest) || !(std::abs(last) > 1e-12 * largest)) return std::nullopt;
    for (double& v : inverse.h) v /= last;
    if (!inverse.isFinite()) return std::nullopt;
    return inverse;
}

}  // namespace photo_analysis
