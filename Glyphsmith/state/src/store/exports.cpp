#include "exports.hpp"

#include <QDir>
#include <QFileInfo>
#include <exception>

#include "homey_project/driver_image_check.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"
#include "services/files.hpp"

namespace glyphsmith_state {

namespace {

std::optional<AppError> writeExport(const QString& file, const QByteArray& bytes) {
    // A folder at the chosen name is never replaced by a file.
    if (QFileInfo(file).isDir() || !replaceFile(file, bytes)) return AppError::writeFailed(QFileInfo(file).fileName());
    return std::nullopt;
}

}  // namespace

std::optional<AppError> exportIconSvg(const icon_geometry::IconModel& model, const icon_geometry::Camera& camera,
                                      const QString& file) {
    return writeExport(file, QByteArray::fromStdString(icon_geometry::iconSvg(model, camera)));
}

std::optional<AppError> exportDriverImages(const DriverEditor::DriverImages& images, const QString& folder) {
    if (images.empty()) return AppError::noPhoto();
    // The map runs in size order: small, large, xlarge.
    for (const auto& [size, png] : images) {
        const QString name = QString::fromUtf8(homey_project::fileName(size));
        if (std::optional<AppError> failure = writeExport(QDir(folder).filePath(name), png)) return failure;
    }
    return std::nullopt;
}

std::optional<AppError> exportIconModel(const icon_geometry::IconModel& model, const QString& file) {
    std::string json;
    try {
        if (icon_geometry::ModelInput::isStorable(model))
            json = icon_geometry::json::write(icon_geometry::json::encode(model));
    } catch (const std::exception&) {
        json.clear();
    }
    if (json.empty()) return AppError::writeFailed(QFileInfo(file).fileName());
    return writeExport(file, QByteArray::fromStdString(json));
}

std::optional<icon_geometry::IconModel> readIconModel(const QString& file) {
    // The bounded reader refuses FIFOs, devices and huge files without blocking;
    // the guarded decoder refuses deep, huge and newer models.
    const std::optional<QByteArray> bytes = readTextFile(file);
    if (!bytes) return std::nullopt;
    try {
        return icon_geometry::ModelInput::decode<icon_geometry::IconModel>(
            std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace glyphsmith_state
