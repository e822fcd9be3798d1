#include "glyphsmith_state/preview_mode.hpp"

#include <QCoreApplication>

namespace glyphsmith_state {

QString title(PreviewMode mode) {
    switch (mode) {
        case PreviewMode::icon:
            return QCoreApplication::translate("PreviewMode", "Icône");
        case PreviewMode::tiles:
            return QCoreApplication::translate("PreviewMode", "Tuiles");
        case PreviewMode::mask:
            return QCoreApplication::translate("PreviewMode", "Masque");
        case PreviewMode::overlay:
            return QCoreApplication::translate("PreviewMode", "Photo");
    }
    return {};
}

std::string_view rawValue(PreviewMode mode) {
    switch (mode) {
        case PreviewMode::icon:
            return "icon";
        case PreviewMode::tiles:
            return "tiles";
        case PreviewMode::mask:
            return "mask";
        case PreviewMode::overlay:
            return "overlay";
    }
    return {};
}

std::optional<PreviewMode> previewModeFromRawValue(std::string_view raw) {
    for (const PreviewMode mode : allPreviewModes)
        if (rawValue(mode) == raw) return mode;
    return std::nullopt;
}

}  // namespace glyphsmith_state
