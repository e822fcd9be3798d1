#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "editing/number_field.hpp"
#include "editing/section_parts.hpp"
#include "editing/sections.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::ProjectStore;
using glyphsmith_state::ShapeKind;
using icon_geometry::FaceShape;

namespace {

QString shapeKindText(ShapeKind kind) {
    switch (kind.value) {
        case ShapeKind::roundedRectangle:
            return inspectorText("Rectangle arrondi");
        case ShapeKind::superellipse:
            return inspectorText("Superellipse");
        case ShapeKind::ellipse:
            return inspectorText("Disque ou ellipse");
        case ShapeKind::capsule:
            return inspectorText("Capsule");
    }
    return {};
}

// The front face's outline, the body's thickness and its bevel.
class FaceShapeContent final : public QWidget {
public:
    explicit FaceShapeContent(DriverEditor& editor) : editor_(editor) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        // The picker in a form of its own, so that its label column does not
        // narrow it to the width left by the longest number label.
        auto* pickerRow = new QWidget(this);
        auto* pickerForm = sectionForm(pickerRow);
        layout->addWidget(pickerRow);
        auto* fields = new QWidget(this);
        form_ = sectionForm(fields);
        layout->addWidget(fields);
        kind_ = new Picker(inspectorText("Forme"), this);
        for (auto kind : ShapeKind::allCases) kind_->addItem(shapeKindText(kind));
        connect(kind_, &QComboBox::activated, this, [this](int row) {
            if (row < 0 || row >= static_cast<int>(ShapeKind::allCases.size())) return;
            editor_.setFaceShapeKind(ShapeKind::allCases[static_cast<std::size_t>(row)]);
            refresh();
        });
        pickerForm->addRow(inspectorText("Forme"), kind_);
        addField(
            inspectorText("Largeur (mm)"), 1, [this] { return editor_.faceWidth(); },
            [this](double v) { editor_.setFaceWidth(v); });
        addField(
            inspectorText("Hauteur (mm)"), 1, [this] { return editor_.faceHeight(); },
            [this](double v) { editor_.setFaceHeight(v); });
        radius_ = addField(
            inspectorText("Rayon des coins (mm)"), 1, [this] { return editor_.faceShapeParameter(); },
            [this](double v) { editor_.setFaceShapeParameter(v); });
        exponent_ = addField(
            inspectorText("Exposant"), 2, [this] { return editor_.faceShapeParameter(); },
            [this](double v) { editor_.setFaceShapeParameter(v); });
        addField(
            inspectorText("Épaisseur (mm)"), 1, [this] { return editor_.depth(); },
            [this](double v) { editor_.setDepth(v); });
        bevel_ = new QCheckBox(inspectorText("Biseau"), this);
        bevel_->setAccessibleName(inspectorText("Biseau"));
        connect(bevel_, &QCheckBox::toggled, this, [this](bool on) {
            editor_.setHasBevel(on);
            refresh();
        });
        form_->addRow(bevel_);
        // The label column keeps its width when the third row changes.
        int labelWidth = 0;
        for (NumberField* field : fields_)
            if (QWidget* label = form_->labelForField(field))
                labelWidth = std::max(labelWidth, label->sizeHint().width());
        for (NumberField* field : fields_)
            if (QWidget* label = form_->labelForField(field)) label->setMinimumWidth(labelWidth);
        connect(&editor_, &DriverEditor::modelChanged, this, &FaceShapeContent::refresh);
        refresh();
    }

private:
    NumberField* addField(const QString& label, int digits, std::function<double()> value,
                          std::function<void(double)> setValue) {
        auto* field = new NumberField(label, digits, std::move(value), std::move(setValue), this);
        form_->addRow(label, field);
        fields_.push_back(field);
        return field;
    }

    void refresh() {
        // Shown only while the main body is extruded; nothing to show otherwise.
        if (!editor_.model().hasExtrudedPrimaryBody()) return;
        {
            const QSignalBlocker blocker(kind_);
            kind_->setCurrentIndex(static_cast<int>(editor_.faceShapeKind().value));
        }
        const auto& face = editor_.model().primaryBody().face.value;
        const bool exponent = std::holds_alternative<FaceShape::Superellipse>(face);
        const bool radius = std::holds_alternative<FaceShape::RoundedRectangle>(face) ||
                            std::holds_alternative<FaceShape::RoundedPolygon>(face);
        form_->setRowVisible(radius_, radius);
        form_->setRowVisible(exponent_, exponent);
        for (NumberField* field : fields_) field->refresh();
        {
            const QSignalBlocker blocker(bevel_);
            bevel_->setChecked(editor_.hasBevel());
        }
    }

    DriverEditor& editor_;
    QFormLayout* form_ = nullptr;
    QComboBox* kind_ = nullptr;
    std::vector<NumberField*> fields_;
    NumberField* radius_ = nullptr;
    NumberField* exponent_ = nullptr;
    QCheckBox* bevel_ = nullptr;
};

}  // namespace

QWidget* makeFaceShapeSection(ProjectStore&, DriverEditor& editor) {
    return new FaceShapeContent(editor);
}

}  // namespace glyphsmith_views
