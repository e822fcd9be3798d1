#include "homey_project/compliance_report.hpp"

#include <algorithm>

#include "bytes.hpp"
#include "file_access/bounded_read.hpp"
#include "homey_project/similarity.hpp"
#include "icon_geometry/icon_geometry_error.hpp"
#include "icon_geometry/ink_mask.hpp"
#include "icon_geometry/svg_document.hpp"
#include "icon_geometry/svg_validator.hpp"
#include "icon_geometry/vector.hpp"
#include "platform/md5.hpp"

namespace homey_project {
namespace {

using icon_geometry::ValidationIssue;
using Item = ComplianceItem;
using Status = ComplianceStatus;

std::optional<std::string> readText(const std::filesystem::path& path) {
    return file_access::readBoundedFile(path, file_access::textFileLimit);
}
std::optional<std::string> readImage(const std::filesystem::path& path) {
    return file_access::readBoundedFile(path, file_access::imageFileLimit);
}

template <class... Cases>
bool holdsAny(const std::vector<ValidationIssue>& issues) {
    return std::any_of(issues.begin(), issues.end(), [](const ValidationIssue& issue) {
        return (std::holds_alternative<Cases>(issue.value) || ...);
    });
}

// Computed at most once per report, only when a comparison needs it.
template <class T, class Make>
class Lazy {
public:
    explicit Lazy(Make make) : make_(std::move(make)) {}
    const T& get() {
        if (!value_) value_ = make_();
        return *value_;
    }

private:
    Make make_;
    std::optional<T> value_;
};

class Runner {
public:
    Runner(std::string driverID, const HomeyDriver* driver, const HomeyApp* app, std::optional<std::string> icon,
           const ComplianceReport::Images& images, double tolerance, ImageNames files = {})
        : driverID_(std::move(driverID)),
          driver_(driver),
          app_(app),
          icon_(std::move(icon)),
          images_(images),
          files_(std::move(files)),
          tolerance_(tolerance) {}

    ComplianceReport run() {
        if (!icon_ && driver_ != nullptr) icon_ = readText(driver_->iconFile());
        if (app_ != nullptr)
            for (const HomeyDriver& other : app_->drivers)
                if (other.id != driverID_) others_.push_back(&other);

        // A file that is not an SVG document is no icon, whatever it holds: no
        // line may pass about colours or commands it does not have.
        const std::optional<std::vector<ValidationIssue>> iconIssues = validated(icon_);
        if (iconIssues)
            iconChecks(*icon_, *iconIssues);
        else
            add(Item::IconCanvas{}, Status::failed);

        std::optional<std::string> large;
        for (DriverImageSize size : allDriverImageSizes) {
            std::optional<std::string> bytes;
            // A driver's images passed in are the PNG files its writer puts into
            // its own files, whatever their format.
            DriverImageFormat format = DriverImageFormat::png;
            if (const auto passed = images_.find(size); passed != images_.end()) {
                bytes = passed->second;
                if (driver_ == nullptr) format = driverImageFormat(fileOf(size)).value_or(DriverImageFormat::png);
            } else if (driver_ != nullptr) {
                bytes = readImage(driver_->imageFile(size));
                format = driver_->imageFormat(size);
            }
            imageChecks(size, bytes, format);
            if (size == DriverImageSize::large) large = std::move(bytes);
        }
        if (large) distinctImageChecks(*large);

        add(Item::PhotographReminder{}, Status::manual);
        return {driverID_, std::move(checks_)};
    }

private:
    void add(decltype(Item::value) item, Status status) { checks_.push_back({Item{std::move(item)}, status}); }

    static std::optional<std::vector<ValidationIssue>> validated(const std::optional<std::string>& icon) {
        if (!icon) return std::nullopt;
        std::vector<ValidationIssue> issues = icon_geometry::SVGValidator::validateText(*icon).issues;
        if (holdsAny<ValidationIssue::MalformedDocument>(issues)) return std::nullopt;
        return issues;
    }

    void iconChecks(const std::string& icon, const std::vector<ValidationIssue>& issues) {
        add(Item::IconCanvas{}, holdsAny<ValidationIssue::CanvasSize, ValidationIssue::Background>(issues)
                                    ? Status::failed
                                    : Status::passed);
        add(Item::IconSingleColor{},
            holdsAny<ValidationIssue::MultipleColors, ValidationIssue::Gradient, ValidationIssue::RasterImage>(issues)
                ? Status::failed
                : Status::passed);
        Status commands = Status::passed;
        if (holdsAny<ValidationIssue::MalformedPathData, ValidationIssue::EllipticalArcs,
                     ValidationIssue::ZeroLengthSegments>(issues))
            commands = Status::failed;
        else if (holdsAny<ValidationIssue::NonCanonicalCommands, ValidationIssue::Text, ValidationIssue::Stroke,
                          ValidationIssue::Transform>(issues))
            commands = Status::warning;
        add(Item::IconCommands{}, commands);

        std::vector<icon_geometry::BezierPath> paths;
        bool pathsRead = false;
        try {
            paths = icon_geometry::SVGDocument::parse(asBytes(icon)).drawablePaths();
            pathsRead = true;
        } catch (const icon_geometry::IconGeometryError&) {
            paths.clear();
        }
        const std::optional<double> thinnest = icon_geometry::IconMetrics::thinnestStroke(paths);
        const icon_geometry::IconMetrics::EdgeContact edges =
            icon_geometry::IconMetrics::edgeContact(paths, tolerance_);
        Status fills = (edges.left && edges.right) || (edges.top && edges.bottom) ? Status::passed : Status::warning;
        // A readable document that inks nothing is no icon: that must fail, not
        // pass with a warning.
        if (pathsRead && !thinnest) fills = Status::failed;
        add(Item::IconFillsCanvas{tolerance_}, fills);
        if (thinnest) add(Item::IconReadableStroke{*thinnest}, ComplianceRules::readableStroke(*thinnest));

        const auto iconMask = [&icon] { return Similarity::inkMask(icon); };
        Lazy<std::optional<icon_geometry::InkMask>, decltype(iconMask)> mask(iconMask);
        // The overlap with another icon: 1 for identical bytes without
        // rasterising, else the masks' overlap when both have one.
        const auto overlapWith = [&](const std::string& other) -> std::optional<double> {
            if (platform::identicalFiles(icon, other)) return 1.0;
            if (!mask.get()) return std::nullopt;
            const std::optional<icon_geometry::InkMask> otherMask = Similarity::inkMask(other);
            if (!otherMask) return std::nullopt;
            return icon_geometry::inkOverlap(*mask.get(), *otherMask);
        };

        if (app_ != nullptr) {
            if (const std::optional<std::string> appIcon = readText(app_->iconFile())) {
                const double overlap = overlapWith(*appIcon).value_or(0.0);
                add(Item::IconDistinctFromApp{overlap}, ComplianceRules::iconOverlap(overlap));
            }
        }
        for (const HomeyDriver* other : others_) {
            const std::optional<std::string> otherIcon = readText(other->iconFile());
            if (!otherIcon) continue;
            const std::optional<double> overlap = overlapWith(*otherIcon);
            if (overlap && ComplianceRules::iconOverlap(*overlap) == Status::failed)
                add(Item::IconDistinctFromDriver{other->id, *overlap}, Status::failed);
        }
    }

    // The name each image line shows: the driver's file, else the file named by
    // the caller, else the size's PNG name.
    std::string fileOf(DriverImageSize size) const {
        if (driver_ != nullptr) return driver_->imageFileName(size);
        if (const auto named = files_.find(size); named != files_.end()) return named->second;
        return std::string(fileName(size));
    }

    void imageChecks(DriverImageSize size, const std::optional<std::string>& bytes, DriverImageFormat format) {
        const std::string file = fileOf(size);
        if (!bytes) {
            if (driver_ != nullptr) add(Item::ImageSize{size, file}, Status::failed);
            return;
        }
        const std::vector<DriverImageIssue> issues = DriverImageCheck::checkImageData(asBytes(*bytes), size, format);
        const auto holds = [&issues](auto test) { return std::any_of(issues.begin(), issues.end(), test); };
        if (holds([](const DriverImageIssue& i) { return i.is<DriverImageIssue::WrongFormat>(); })) {
            add(Item::ImageFormat{size, file}, Status::failed);
            return;
        }
        add(Item::ImageSize{size, file}, holds([](const DriverImageIssue& i) {
                return i.is<DriverImageIssue::WrongSize>() || i.is<DriverImageIssue::Unreadable>();
            })
                                             ? Status::failed
                                             : Status::passed);
        add(Item::ImageBackground{size, file},
            holds([](const DriverImageIssue& i) { return i.is<DriverImageIssue::BackgroundNotWhite>(); })
                ? Status::failed
                : Status::passed);
    }

    void distinctImageChecks(const std::string& large) {
        const auto hashLarge = [&large] { return Similarity::differenceHash(large); };
        Lazy<std::optional<Similarity::DifferenceHash>, decltype(hashLarge)> hash(hashLarge);
        const auto distanceTo = [&](const std::string& other) -> std::optional<double> {
            if (!hash.get()) return std::nullopt;
            const std::optional<Similarity::DifferenceHash> otherHash = Similarity::differenceHash(other);
            if (!otherHash) return std::nullopt;
            return Similarity::hashDistance(*hash.get(), *otherHash);
        };
        if (app_ != nullptr) {
            if (const std::optional<std::string> appLarge = readImage(app_->largeImageFile()))
                if (const std::optional<double> distance = distanceTo(*appLarge))
                    add(Item::ImageDistinctFromApp{*distance}, ComplianceRules::imageDistance(*distance));
        }
        for (const HomeyDriver* other : others_) {
            const std::optional<std::string> otherLarge = readImage(other->imageFile(DriverImageSize::large));
            if (!otherLarge) continue;
            const std::optional<double> distance = distanceTo(*otherLarge);
            if (!distance) continue;
            const Status status = ComplianceRules::imageDistance(*distance);
            if (status != Status::passed) add(Item::ImageDistinctFromDriver{other->id, *distance}, status);
        }
    }

    std::string driverID_;
    const HomeyDriver* driver_;
    const HomeyApp* app_;
    std::optional<std::string> icon_;
    const ComplianceReport::Images& images_;
    ImageNames files_;
    double tolerance_;
    std::vector<const HomeyDriver*> others_;
    std::vector<ComplianceCheck> checks_;
};

}  // namespace

namespace ComplianceRules {

Status readableStroke(double thinnest) {
    return thinnest >= ComplianceReport::readableStrokeMinimum ? Status::passed : Status::warning;
}
Status iconOverlap(double overlap) {
    return overlap >= ComplianceReport::iconOverlapLimit ? Status::failed : Status::passed;
}
Status imageDistance(double distance) {
    if (distance < ComplianceReport::imageDistanceFailureLimit) return Status::failed;
    if (distance < ComplianceReport::imageDistanceWarningLimit) return Status::warning;
    return Status::passed;
}

}  // namespace ComplianceRules

ComplianceReport ComplianceReport::forProjectDriver(const HomeyDriver& driver, const HomeyApp& app,
                                                    const std::optional<std::string>& icon, const Images& images,
                                                    double tolerance) {
    return Runner(driver.id, &driver, &app, icon, images, tolerance).run();
}

ComplianceReport ComplianceReport::forStandaloneIcon(const std::optional<std::string>& icon, const Images& images,
                                                     double tolerance, const ImageNames& files) {
    return Runner("", nullptr, nullptr, icon, images, tolerance, files).run();
}

std::vector<ComplianceCheck> ComplianceReport::failures() const {
    std::vector<ComplianceCheck> result;
    for (const ComplianceCheck& check : checks)
        if (check.status == Status::failed) result.push_back(check);
    return result;
}

std::vector<ComplianceCheck> ComplianceReport::warnings() const {
    std::vector<ComplianceCheck> result;
    for (const ComplianceCheck& check : checks)
        if (check.status == Status::warning) result.push_back(check);
    return result;
}

ComplianceStatus ComplianceReport::worstStatus() const {
    Status worst = Status::passed;
    for (const ComplianceCheck& check : checks) worst = std::max(worst, check.status);
    return worst;
}

}  // namespace homey_project

std::size_t std::hash<homey_project::ComplianceItem>::operator()(
    const homey_project::ComplianceItem& item) const noexcept {
    using homey_project::ComplianceItem;
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(item.value.index()));
    std::visit(
        [&h](const auto& c) {
            using Case = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<Case, ComplianceItem::IconFillsCanvas>) h.combine(c.tolerance);
            if constexpr (std::is_same_v<Case, ComplianceItem::IconReadableStroke>) h.combine(c.thinnest);
            if constexpr (std::is_same_v<Case, ComplianceItem::IconDistinctFromApp>) h.combine(c.overlap);
            if constexpr (std::is_same_v<Case, ComplianceItem::ImageDistinctFromApp>) h.combine(c.distance);
            if constexpr (std::is_same_v<Case, ComplianceItem::IconDistinctFromDriver>) {
                h.combine(std::hash<std::string>{}(c.id));
                h.combine(c.overlap);
            }
            if constexpr (std::is_same_v<Case, ComplianceItem::ImageDistinctFromDriver>) {
                h.combine(std::hash<std::string>{}(c.id));
                h.combine(c.distance);
            }
            if constexpr (std::is_same_v<Case, ComplianceItem::ImageSize> ||
                          std::is_same_v<Case, ComplianceItem::ImageBackground> ||
                          std::is_same_v<Case, ComplianceItem::ImageFormat>) {
                h.combine(static_cast<long long>(rawValue(c.size)));
                h.combine(std::hash<std::string>{}(c.file));
            }
        },
        item.value);
    return h.state;
}

std::size_t std::hash<homey_project::ComplianceCheck>::operator()(
    const homey_project::ComplianceCheck& check) const noexcept {
    icon_geometry::Hasher h;
    h.combine(std::hash<homey_project::ComplianceItem>{}(check.item));
    h.combine(static_cast<long long>(check.status));
    return h.state;
}

std::size_t std::hash<homey_project::ComplianceReport>::operator()(
    const homey_project::ComplianceReport& report) const noexcept {
    icon_geometry::Hasher h;
    h.combine(std::hash<std::string>{}(report.driverID));
    for (const homey_project::ComplianceCheck& check : report.checks)
        h.combine(std::hash<homey_project::ComplianceCheck>{}(check));
    return h.state;
}
