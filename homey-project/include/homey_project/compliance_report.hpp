#pragma once

#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "homey_project/driver_image_check.hpp"
#include "homey_project/homey_app.hpp"

namespace homey_project {

// A higher value is worse.
enum class ComplianceStatus : int { passed = 0, manual = 1, warning = 2, failed = 3 };

constexpr std::optional<ComplianceStatus> complianceStatus(std::int64_t rawValue) {
    if (rawValue < 0 || rawValue > 3) return std::nullopt;
    return static_cast<ComplianceStatus>(rawValue);
}
constexpr std::strong_ordering operator<=>(ComplianceStatus a, ComplianceStatus b) {
    return static_cast<int>(a) <=> static_cast<int>(b);
}

// What one line of the report judges. Alternatives in declaration order.
struct ComplianceItem {
    struct IconFillsCanvas {
        double tolerance = 0;
        friend constexpr bool operator==(IconFillsCanvas, IconFillsCanvas) = default;
    };
    struct IconReadableStroke {
        double thinnest = 0;
        friend constexpr bool operator==(IconReadableStroke, IconReadableStroke) = default;
    };
    struct IconDistinctFromApp {
        double overlap = 0;
        friend constexpr bool operator==(IconDistinctFromApp, IconDistinctFromApp) = default;
    };
    struct IconDistinctFromDriver {
        std::string id;
        double overlap = 0;
        friend bool operator==(const IconDistinctFromDriver&, const IconDistinctFromDriver&) = default;
    };
    // Each image line names the file judged: the driver's own, "small.jpg" when
    // its manifest names that, else the size's PNG name.
    struct ImageSize {
        DriverImageSize size{};
        std::string file;
        friend bool operator==(const ImageSize&, const ImageSize&) = default;
    };
    struct ImageBackground {
        DriverImageSize size{};
        std::string file;
        friend bool operator==(const ImageBackground&, const ImageBackground&) = default;
    };
    // Only as a failure: the image of that size is a file of another format than
    // its name says; it stands in place of the size and background lines.
    struct ImageFormat {
        DriverImageSize size{};
        std::string file;
        friend bool operator==(const ImageFormat&, const ImageFormat&) = default;
    };
    struct ImageDistinctFromApp {
        double distance = 0;
        friend constexpr bool operator==(ImageDistinctFromApp, ImageDistinctFromApp) = default;
    };
    struct ImageDistinctFromDriver {
        std::string id;
        double distance = 0;
        friend bool operator==(const ImageDistinctFromDriver&, const ImageDistinctFromDriver&) = default;
    };
    struct IconCanvas {
        friend constexpr bool operator==(IconCanvas, IconCanvas) = default;
    };
    struct IconSingleColor {
        friend constexpr bool operator==(IconSingleColor, IconSingleColor) = default;
    };
    struct IconCommands {
        friend constexpr bool operator==(IconCommands, IconCommands) = default;
    };
    struct PhotographReminder {
        friend constexpr bool operator==(PhotographReminder, PhotographReminder) = default;
    };

    std::variant<IconFillsCanvas, IconReadableStroke, IconDistinctFromApp, IconDistinctFromDriver, ImageSize,
                 ImageBackground, ImageFormat, ImageDistinctFromApp, ImageDistinctFromDriver, IconCanvas,
                 IconSingleColor, IconCommands, PhotographReminder>
        value;

    template <class Case>
    bool is() const {
        return std::holds_alternative<Case>(value);
    }

    friend bool operator==(const ComplianceItem&, const ComplianceItem&) = default;
};

struct ComplianceCheck {
    ComplianceItem item;
    ComplianceStatus status = ComplianceStatus::passed;
    friend bool operator==(const ComplianceCheck&, const ComplianceCheck&) = default;
};

// The platform's constraints on a driver's artwork, one line per finding, in
// the order they were made. Computing it never throws and never writes.
struct ComplianceReport {
    std::string driverID;  // empty for a free-standing icon
    std::vector<ComplianceCheck> checks;

    static constexpr double readableStrokeMinimum = 18.24;
    static constexpr double iconOverlapLimit = 0.97;
    static constexpr double imageDistanceFailureLimit = 0.03;
    static constexpr double imageDistanceWarningLimit = 0.05;

    using Images = std::map<DriverImageSize, std::string>;  // PNG bytes by size

    // Missing icon or images are read from the driver's files; images passed
    // are the PNG files to be written there (in the file's own format).
    [[nodiscard]] static ComplianceReport forProjectDriver(const HomeyDriver& driver, const HomeyApp& app,
                                                           const std::optional<std::string>& icon, const Images& images,
                                                           double tolerance);
    // No project: nothing is read and no distinctness is judged. `files` names
    // the file each image was read from, whose ending says its format; an image
    // without one is the size's PNG file.
    [[nodiscard]] static ComplianceReport forStandaloneIcon(const std::optional<std::string>& icon,
                                                            const Images& images, double tolerance,
                                                            const ImageNames& files = {});

    std::vector<ComplianceCheck> failures() const;
    std::vector<ComplianceCheck> warnings() const;
    ComplianceStatus worstStatus() const;

    friend bool operator==(const ComplianceReport&, const ComplianceReport&) = default;
};

// The status rules of the report, at their limits.
namespace ComplianceRules {
ComplianceStatus readableStroke(double thinnest);
ComplianceStatus iconOverlap(double overlap);
ComplianceStatus imageDistance(double distance);
}  // namespace ComplianceRules

}  // namespace homey_project

template <>
struct std::hash<homey_project::ComplianceItem> {
    std::size_t operator()(const homey_project::ComplianceItem& item) const noexcept;
};
template <>
struct std::hash<homey_project::ComplianceCheck> {
    std::size_t operator()(const homey_project::ComplianceCheck& check) const noexcept;
};
template <>
struct std::hash<homey_project::ComplianceReport> {
    std::size_t operator()(const homey_project::ComplianceReport& report) const noexcept;
};
