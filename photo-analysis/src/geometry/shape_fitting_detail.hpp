#pragma once

#include <functional>
#include <span>
#include <vector>

#include "photo_analysis/shape_fitting.hpp"

// The pieces of a fit that do not depend on how the cost is evaluated, so that a
// plain evaluation can be checked against the fast one.
namespace photo_analysis::shape_fitting_detail {

// (cx, cy, θ, a, b) for the ellipse, (cx, cy, θ, a, b, p) for the other kinds.
struct SearchStart {
    std::vector<double> vector;
    std::vector<double> steps;
};

// The rotations the search may start from, each folded to ±π/4: the points'
// principal axis, and the sides of the smallest box holding them when they turn
// it otherwise. An outline as wide as high (a square, a rounded square) has no
// principal axis: its moments give an angle that only rounding decides.
std::vector<double> startRotations(std::span<const Vector2> points);

// The centre, the given rotation and the extent of the points in that frame.
SearchStart searchStart(std::span<const Vector2> points, FaceFit::Kind kind, double rotation);

using Cost = std::function<double(std::span<const double>)>;

// Nelder–Mead: reflection, expansion, contraction, shrink; the least-cost vertex
// after convergence or maxIterations.
std::vector<double> minimize(const Cost& cost, std::vector<double> start, std::span<const double> steps,
                             int maxIterations);

inline constexpr int maxIterations = 4000;

// The fit described by a parameter vector, or absent when its sizes or rms are
// not positive and finite.
std::optional<FaceFit> fitFrom(std::span<const double> vector, FaceFit::Kind kind, double rms);

// Non-finite points dropped.
std::vector<Vector2> finitePoints(std::span<const Vector2> points);

}  // namespace photo_analysis::shape_fitting_detail
