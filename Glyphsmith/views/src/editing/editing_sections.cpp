#include <QCoreApplication>

#include "editing/sections.hpp"
#include "glyphsmith_views/editing_panel.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;

QWidget* emptySection() {
    return new QWidget;
}

std::vector<InspectorSection> inspectorSections() {
    const auto tr = [](const char* text) { return QCoreApplication::translate("Inspector", text); };
    const auto faceTools = [](const DriverEditor& editor) { return editor.model().hasExtrudedPrimaryBody(); };
    return {
        {QString(), makeComplianceSection, {}},
        {QString(), makeObjectSection, {}},
        {tr("Forme de la face"), makeFaceShapeSection, faceTools},
        {tr("Projection"), makeProjectionSection, {}},
        {tr("Détails"), makeDetailsSection, faceTools},
        {tr("Photos"), makePhotosSection, {}},
        {tr("Images de pilote"), makeDriverImagesSection, {}},
    };
}

}  // namespace glyphsmith_views
