#include "driver_package.hpp"

#include "homey_project/source_layout.hpp"
#include "icon_geometry/icon_svg.hpp"

namespace glyphsmith_state {

namespace {

std::string fromQBytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

homey_project::DriverPackage driverPackageOf(const DriverEditor& editor, const icon_geometry::Camera& brandCamera) {
    homey_project::DriverPackage package;
    package.iconSVG = icon_geometry::iconSvg(editor.model(), brandCamera);
    for (const auto& [size, png] : editor.driverImages()) package.images.emplace(size, fromQBytes(png));
    package.model = editor.model();
    if (const std::optional<QByteArray>& photo = editor.facePhotoData()) {
        package.sourcePhotos.push_back(
            {homey_project::SourceLayout::facePhotoName(editor.facePhotoExtension().toStdString()),
             fromQBytes(*photo)});
    }
    if (editor.corners().size() == 4) package.faceCorners = editor.corners();
    package.brandCamera = brandCamera;
    return package;
}

}  // namespace glyphsmith_state
