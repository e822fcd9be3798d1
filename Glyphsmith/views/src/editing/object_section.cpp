#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <vector>

#include "editing/compliance_rows.hpp"
#include "editing/number_field.hpp"
#include "editing/section_parts.hpp"
#include "editing/sections.hpp"
#include "icon_geometry/model_template.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::PartTemplate;
using glyphsmith_state::ProjectStore;
using icon_geometry::Orientation;

namespace {

QString orientationText(Orientation orientation) {
    switch (orientation.value) {
        case Orientation::wall:
            return inspectorText("Au mur");
        case Orientation::ceiling:
            return inspectorText("Au plafond");
        case Orientation::floor:
            return inspectorText("Posé");
    }
    return {};
}

QString partTemplateText(PartTemplate partTemplate) {
    switch (partTemplate.value) {
        case PartTemplate::box:
            return inspectorText("Boîtier");
        case PartTemplate::knob:
            return inspectorText("Molette");
        case PartTemplate::cylinder:
            return inspectorText("Cylindre");
    }
    return {};
}

bool isExtrudedPart(const DriverEditor& editor, int index) {
    const auto& parts = editor.model().parts;
    return index >= 0 && index < static_cast<int>(parts.size()) &&
           parts[static_cast<std::size_t>(index)].solid.isExtruded();
}

QString partTitle(const DriverEditor& editor, int index) {
    const QString kind =
        isExtrudedPart(editor, index) ? inspectorText("Corps extrudé") : inspectorText("Corps de révolution");
    return index == 0 ? inspectorText("%1, principal").arg(kind) : kind;
}

QString turnLabel(double degrees) {
    return inspectorText("Rotation propre : %1°").arg(wholeNumberText(degrees));
}

// The selected body's dimensions, offset (bodies after the main one) and own rotation.
class PartControls final : public QWidget {
public:
    PartControls(DriverEditor& editor, int index) : editor_(editor), index_(index) {
        auto* form = sectionForm(this);
        const std::size_t count = editor_.partDimensions(index_).size();
        const QStringList labels = count == 3
                                       ? QStringList{inspectorText("Largeur (mm)"), inspectorText("Hauteur (mm)"),
                                                     inspectorText("Épaisseur (mm)")}
                                       : QStringList{inspectorText("Diamètre (mm)"), inspectorText("Longueur (mm)")};
        for (int i = 0; i < labels.size(); ++i) {
            auto* field = new NumberField(
                labels[i], 1,
                [this, i] {
                    const auto values = editor_.partDimensions(index_);
                    return i < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(i)] : 0.0;
                },
                [this, i](double value) { editor_.setPartDimension(i, index_, value); }, this);
            form->addRow(labels[i], field);
            fields_.push_back(field);
        }
        if (index_ >= 1) {
            const QStringList offsets{inspectorText("Décalage X (mm)"), inspectorText("Décalage Y (mm)"),
                                      inspectorText("Décalage Z (mm)")};
            for (int axis = 0; axis < 3; ++axis) {
                auto* field = new NumberField(
                    offsets[axis], 1, [this, axis] { return component(editor_.partOffset(index_), axis); },
                    [this, axis](double value) {
                        auto offset = editor_.partOffset(index_);
                        double xyz[3] = {offset.x, offset.y, offset.z};
                        xyz[axis] = value;
                        editor_.setPartOffset(index_, xyz[0], xyz[1], xyz[2]);
                    },
                    this);
                form->addRow(offsets[axis], field);
                fields_.push_back(field);
            }
            form->addRow(
                noteLabel(inspectorText("Z négatif : le corps avance vers vous, devant la face principale."), this));
        }
        turnLabel_ = new QLabel(this);
        turnLabel_->setTextFormat(Qt::PlainText);
        turn_ = new ValueSlider(
            inspectorText("Rotation propre"), -60, 60, 1, [this](double value) { editor_.setPartTurn(index_, value); },
            this);
        addSliderRow(form, turnLabel_, turn_);
        refresh();
    }

    int index() const { return index_; }
    std::size_t dimensionCount() const { return dimensions_; }

    void refresh() {
        dimensions_ = editor_.partDimensions(index_).size();
        for (NumberField* field : fields_) field->refresh();
        const double turn = editor_.partTurn(index_);
        const QString label = turnLabel(turn);
        if (turnLabel_->text() != label) turnLabel_->setText(label);
        turn_->setAccessibleDescription(label);
        turn_->showValue(turn);
    }

private:
    static double component(const icon_geometry::Vector3& v, int axis) {
        return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
    }

    DriverEditor& editor_;
    int index_;
    std::size_t dimensions_ = 0;
    std::vector<NumberField*> fields_;
    QLabel* turnLabel_ = nullptr;
    ValueSlider* turn_ = nullptr;
};

// "Objet": a template to start from, the orientation, the list of bodies, a new
// body, and the selected body's controls.
class ObjectContent final : public QGroupBox {
public:
    explicit ObjectContent(DriverEditor& editor) : editor_(editor) {
        setTitle(inspectorText("Objet"));
        setAccessibleName(title());
        setObjectName(QStringLiteral("object"));
        layout_ = new QVBoxLayout(this);

        auto* templates = new QMenu;
        for (auto modelTemplate : icon_geometry::ModelTemplate::allCases) {
            templates->addAction(glyphsmith_state::modelTemplateLabel(modelTemplate),
                                 [this, modelTemplate] { editor_.applyTemplate(modelTemplate); });
        }
        auto* templateButton = menuButton(inspectorText("Partir d’un gabarit"), templates, this);
        templateButton->setToolTip(inspectorText("Remplace le modèle par un objet type, aux dimensions courantes"));
        layout_->addWidget(templateButton, 0, Qt::AlignLeft);

        auto* orientationRow = new QWidget(this);
        auto* orientationForm = sectionForm(orientationRow);
        orientation_ = new Picker(inspectorText("Orientation"), orientationRow);
        for (auto orientation : Orientation::allCases) orientation_->addItem(orientationText(orientation));
        connect(orientation_, &QComboBox::activated, this, [this](int row) {
            if (row < 0 || row >= static_cast<int>(Orientation::allCases.size())) return;
            auto model = editor_.model();
            model.orientation = Orientation::allCases[static_cast<std::size_t>(row)];
            editor_.setModel(std::move(model));
        });
        orientationForm->addRow(inspectorText("Orientation"), orientation_);
        layout_->addWidget(orientationRow);

        rows_ = new QWidget(this);
        rowsLayout_ = new QVBoxLayout(rows_);
        rowsLayout_->setContentsMargins(0, 0, 0, 0);
        rowsLayout_->setSpacing(0);
        layout_->addWidget(rows_);

        auto* parts = new QMenu;
        for (auto partTemplate : PartTemplate::allCases)
            parts->addAction(partTemplateText(partTemplate), [this, partTemplate] { editor_.addPart(partTemplate); });
        layout_->addWidget(menuButton(inspectorText("Ajouter un corps"), parts, this), 0, Qt::AlignLeft);

        connect(&editor_, &DriverEditor::modelChanged, this, &ObjectContent::refresh);
        connect(&editor_, &DriverEditor::selectedPartChanged, this, &ObjectContent::refresh);
        refresh();
    }

private:
    void refresh() {
        {
            const QSignalBlocker blocker(orientation_);
            orientation_->setCurrentIndex(static_cast<int>(editor_.model().orientation.value));
        }
        // The rows are made again only when the bodies' kinds change.
        std::vector<bool> kinds;
        for (const auto& part : editor_.model().parts) kinds.push_back(part.solid.isExtruded());
        const bool sameKinds = kinds == kinds_;
        kinds_ = kinds;
        remakeRows(rowsLayout_, partRows_, static_cast<int>(kinds_.size()), sameKinds, [this](int index) {
            SelectableRow::Actions actions;
            actions.title = [this, index] { return partTitle(editor_, index); };
            actions.isSelected = [this, index] { return editor_.selectedPart() == index; };
            actions.toggle = [this, index] {
                const bool selected = editor_.selectedPart() == index;
                editor_.setSelectedPart(selected ? std::nullopt : std::optional<int>(index));
            };
            // The main body stays.
            if (index >= 1) {
                actions.remove = [this, index] { editor_.removePart(index); };
                actions.removeHelp = inspectorText("Supprimer ce corps");
            }
            return actions;
        });
        // The controls are made again for another body or another kind of body.
        const auto selected = editor_.selectedPart();
        const bool valid = selected && *selected >= 0 && *selected < static_cast<int>(kinds_.size());
        const std::size_t dimensions = valid ? editor_.partDimensions(*selected).size() : 0;
        if (controls_ && (!valid || controls_->index() != *selected || controls_->dimensionCount() != dimensions)) {
            layout_->removeWidget(controls_);
            controls_->hide();
            controls_->deleteLater();
            controls_ = nullptr;
        }
        if (valid && !controls_) {
            controls_ = new PartControls(editor_, *selected);
            layout_->addWidget(controls_);
            controlsChanged(this);
        } else if (controls_) {
            controls_->refresh();
        }
    }

    DriverEditor& editor_;
    QVBoxLayout* layout_ = nullptr;
    QComboBox* orientation_ = nullptr;
    QWidget* rows_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    std::vector<bool> kinds_;
    std::vector<SelectableRow*> partRows_;
    PartControls* controls_ = nullptr;
};

}  // namespace

QWidget* makeObjectSection(ProjectStore&, DriverEditor& editor) {
    return new ObjectContent(editor);
}

}  // namespace glyphsmith_views
