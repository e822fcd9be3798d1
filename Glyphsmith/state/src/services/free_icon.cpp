#include "glyphsmith_state/free_icon.hpp"

#include <QFile>
#include <QStandardPaths>
#include <exception>

#include "files.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"

namespace glyphsmith_state {

using icon_geometry::IconModel;

IconModel freeIconStartingModel() {
    icon_geometry::ExtrudedBody body;
    body.face = icon_geometry::FaceShape::roundedRectangle(86, 86, 6);
    body.depth = 18.92;
    return IconModel::withSingleBody(std::move(body));
}

ApplicationSupportFreeIcon::ApplicationSupportFreeIcon(QString filePath) : filePath_(std::move(filePath)) {}

QString ApplicationSupportFreeIcon::standardFilePath() {
    return standardFile(QStandardPaths::AppDataLocation, QStringLiteral("icone-libre.json"));
}

std::optional<IconModel> ApplicationSupportFreeIcon::load() {
    if (!entryExists(filePath_)) return std::nullopt;
    if (const std::optional<QByteArray> bytes = readTextFile(filePath_)) {
        try {
            return icon_geometry::ModelInput::decode<IconModel>(std::string_view(bytes->constData(), bytes->size()));
        } catch (const std::exception&) {
            // Refused below.
        }
    }
    keepsRefusedFile_ = true;
    return std::nullopt;
}

void ApplicationSupportFreeIcon::save(const IconModel& model) {
    if (!icon_geometry::ModelInput::isStorable(model)) return;
    if (keepsRefusedFile_) {
        // The app saves the free icon soon after launch even without a change.
        if (model == freeIconStartingModel()) return;
        if (entryExists(filePath_)) {
            const QString backup = filePath_ + QStringLiteral(".bak");
            if (entryExists(backup) && !QFile::remove(backup)) return;
            if (!QFile::rename(filePath_, backup)) return;
        }
        keepsRefusedFile_ = false;
    }
    const std::string bytes = icon_geometry::json::write(icon_geometry::json::encode(model));
    (void)replaceFile(filePath_, QByteArray::fromStdString(bytes));
}

}  // namespace glyphsmith_state
