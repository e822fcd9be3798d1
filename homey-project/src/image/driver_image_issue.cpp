#include <functional>

#include "homey_project/driver_image_check.hpp"
#include "icon_geometry/vector.hpp"

std::size_t std::hash<homey_project::DriverImageIssue>::operator()(
    const homey_project::DriverImageIssue& issue) const noexcept {
    using homey_project::DriverImageIssue;
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(issue.value.index()));
    std::visit(
        [&h](const auto& c) {
            using Case = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<Case, DriverImageIssue::WrongSize>) {
                h.combine(static_cast<long long>(c.width));
                h.combine(static_cast<long long>(c.height));
                h.combine(static_cast<long long>(c.expected));
            } else if constexpr (std::is_same_v<Case, DriverImageIssue::BackgroundNotWhite>) {
                h.combine(c.share);
            } else if constexpr (std::is_same_v<Case, DriverImageIssue::Upscaled>) {
                h.combine(c.factor);
            } else if constexpr (std::is_same_v<Case, DriverImageIssue::WrongFormat>) {
                h.combine(static_cast<long long>(c.expected));
            }
        },
        issue.value);
    return h.state;
}
