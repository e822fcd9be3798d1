// The editor's body parts and model templates, through the model edits.

#include <algorithm>
#include <cmath>

#include "editor_changes.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "model_edits.hpp"

namespace glyphsmith_state {

using icon_geometry::BodyPart;
using icon_geometry::IconModel;
using icon_geometry::Vector3;

bool DriverEditor::isPartIndex(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < model_.parts.size();
}

void DriverEditor::applyTemplate(icon_geometry::ModelTemplate modelTemplate) {
    const bool applied = changeModel([&](IconModel& model) { model = modelFromTemplate(modelTemplate, model.camera); });
    if (!applied) return;
    setSelectedDetail(std::nullopt);
    setSelectedPart(std::nullopt);
}

void DriverEditor::addPart(PartTemplate partTemplate) {
    const bool added =
        changeModel([&](IconModel& model) { model.parts.push_back(partFromTemplate(partTemplate, model)); });
    if (added) setSelectedPart(static_cast<int>(model_.parts.size() - 1));
}

void DriverEditor::removePart(int index) {
    if (index < 1 || !isPartIndex(index)) return;
    const bool removed = changeModel(
        [&](IconModel& model) { model.parts.erase(model.parts.begin() + static_cast<std::ptrdiff_t>(index)); });
    if (removed) setSelectedPart(std::nullopt);
}

Vector3 DriverEditor::partOffset(int index) const {
    return isPartIndex(index) ? model_.parts[static_cast<std::size_t>(index)].offset : Vector3{0, 0, 0};
}

void DriverEditor::setPartOffset(int index, double x, double y, double z) {
    // One component out of range leaves the whole offset as it was.
    const auto allowed = [](double v) { return std::abs(v) <= largestPartOffset; };
    if (!(allowed(x) && allowed(y) && allowed(z))) return;
    changePart(index, [&](BodyPart& part) { part.offset = {x, y, z}; });
}

double DriverEditor::partTurn(int index) const {
    return isPartIndex(index) ? model_.parts[static_cast<std::size_t>(index)].turn : 0;
}

void DriverEditor::setPartTurn(int index, double degrees) {
    if (!std::isfinite(degrees)) return;
    changePart(index, [&](BodyPart& part) { part.turn = std::clamp(degrees, -largestPartTurn, largestPartTurn); });
}

std::vector<double> DriverEditor::partDimensions(int index) const {
    if (!isPartIndex(index)) return {};
    return glyphsmith_state::partDimensions(model_.parts[static_cast<std::size_t>(index)]);
}

void DriverEditor::setPartDimension(int which, int index, double value) {
    // NaN fails both comparisons.
    if (!(value > smallestPartDimension && value <= largestPartDimension)) return;
    changePart(index, [&](BodyPart& part) { glyphsmith_state::setPartDimension(part, which, value); });
}

}  // namespace glyphsmith_state
