#include <QFormLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>
#include <vector>

#include "editing/compliance_rows.hpp"
#include "editing/number_field.hpp"
#include "editing/section_parts.hpp"
#include "editing/sections.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DetailTemplate;
using glyphsmith_state::DriverEditor;
using glyphsmith_state::PhotoTool;
using glyphsmith_state::ProjectStore;
using icon_geometry::Vector2;

namespace {

// The first template of the pictogram group.
constexpr std::size_t firstPictogram = DetailTemplate::power;

const std::vector<icon_geometry::FaceDetail>& mainDetails(const DriverEditor& editor) {
    static const std::vector<icon_geometry::FaceDetail> none;
    const auto& parts = editor.model().parts;
    if (parts.empty()) return none;
    const auto* body = parts.front().solid.extrudedBody();
    return body ? body->details : none;
}

// The main body's face details: the list, the selected one's position and
// size, and the menus that add one at the face centre or on the photo.
class DetailsContent final : public QWidget {
public:
    explicit DetailsContent(DriverEditor& editor) : editor_(editor) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        rows_ = new QWidget(this);
        rowsLayout_ = new QVBoxLayout(rows_);
        rowsLayout_->setContentsMargins(0, 0, 0, 0);
        rowsLayout_->setSpacing(0);
        layout->addWidget(rows_);

        controls_ = new QWidget(this);
        auto* form = sectionForm(controls_);
        x_ = new NumberField(
            inspectorText("Position X (mm)"), 1, [this] { return drawn_.x; },
            [this](double x) { editor_.setSelectedDetailCenter(x, drawn_.y); }, controls_);
        y_ = new NumberField(
            inspectorText("Position Y (mm)"), 1, [this] { return drawn_.y; },
            [this](double y) { editor_.setSelectedDetailCenter(drawn_.x, y); }, controls_);
        form->addRow(inspectorText("Position X (mm)"), x_);
        form->addRow(inspectorText("Position Y (mm)"), y_);
        auto* size = new QWidget(controls_);
        auto* sizeLayout = new QHBoxLayout(size);
        sizeLayout->setContentsMargins(0, 0, 0, 0);
        auto* smaller = iconButton(QStringLiteral("minus"), inspectorText("Réduire"), QString(), size);
        auto* larger = iconButton(QStringLiteral("plus"), inspectorText("Agrandir"), QString(), size);
        smaller->setAutoRaise(false);
        larger->setAutoRaise(false);
        connect(smaller, &QToolButton::clicked, this, [this] { editor_.scaleSelectedDetail(1.0 / 1.1); });
        connect(larger, &QToolButton::clicked, this, [this] { editor_.scaleSelectedDetail(1.1); });
        sizeLayout->addWidget(smaller);
        sizeLayout->addWidget(larger);
        sizeLayout->addStretch(1);
        form->addRow(inspectorText("Taille"), size);
        layout->addWidget(controls_);

        auto* add = new QMenu;
        auto* pictograms = new QMenu(inspectorText("Pictogramme"), add);
        for (auto detailTemplate : DetailTemplate::allCases) {
            QMenu* menu = static_cast<std::size_t>(detailTemplate) < firstPictogram ? add : pictograms;
            menu->addAction(DetailTemplate(detailTemplate).label(), [this, detailTemplate] {
                editor_.addDetail(detailTemplate, Vector2{0, 0});
            });
        }
        add->addSeparator();
        add->addMenu(pictograms);
        layout->addWidget(menuButton(inspectorText("Ajouter un détail"), add, this), 0, Qt::AlignLeft);

        auto* place = new QMenu;
        for (auto detailTemplate : DetailTemplate::allCases) {
            place->addAction(DetailTemplate(detailTemplate).label(),
                             [this, detailTemplate] { editor_.setTool(PhotoTool::place(detailTemplate)); });
        }
        place_ = menuButton(inspectorText("Poser un détail sur la photo"), place, this);
        place_->setToolTip(inspectorText("Choisissez le détail, puis cliquez son emplacement dans l’aperçu Photo"));
        layout->addWidget(place_, 0, Qt::AlignLeft);

        connect(&editor_, &DriverEditor::modelChanged, this, &DetailsContent::refresh);
        connect(&editor_, &DriverEditor::selectedDetailChanged, this, &DetailsContent::refresh);
        connect(&editor_, &DriverEditor::facePhotoChanged, this, &DetailsContent::refresh);
        refresh();
    }

private:
    void refresh() {
        const auto& details = mainDetails(editor_);
        // The rows are made again only when the number of details changes.
        remakeRows(rowsLayout_, rowList_, static_cast<int>(details.size()), true, [this](int index) {
            SelectableRow::Actions actions;
            actions.title = [this, index] {
                const auto& all = mainDetails(editor_);
                return index < static_cast<int>(all.size()) ? detailKindName(all[static_cast<std::size_t>(index)])
                                                            : QString();
            };
            actions.isSelected = [this, index] { return editor_.selectedDetail() == index; };
            actions.toggle = [this, index] {
                const bool selected = editor_.selectedDetail() == index;
                editor_.setSelectedDetail(selected ? std::nullopt : std::optional<int>(index));
            };
            actions.remove = [this, index] { editor_.removeDetail(index); };
            actions.removeHelp = inspectorText("Supprimer ce détail");
            return actions;
        });
        const auto selected = editor_.selectedDetail();
        const auto center = selected ? editor_.detailCenter(*selected) : std::nullopt;
        if (center) {
            drawn_ = *center;
            x_->refresh();
            y_->refresh();
        }
        if (controls_->isHidden() == center.has_value()) controls_->setVisible(center.has_value());
        const bool photo = editor_.facePhoto().has_value();
        if (place_->isHidden() == photo) place_->setVisible(photo);
    }

    DriverEditor& editor_;
    QWidget* rows_ = nullptr;
    QVBoxLayout* rowsLayout_ = nullptr;
    std::vector<SelectableRow*> rowList_;
    QWidget* controls_ = nullptr;
    NumberField* x_ = nullptr;
    NumberField* y_ = nullptr;
    QPushButton* place_ = nullptr;
    // The selected detail's centre as the fields show it.
    Vector2 drawn_{};
};

}  // namespace

QWidget* makeDetailsSection(ProjectStore&, DriverEditor& editor) {
    return new DetailsContent(editor);
}

}  // namespace glyphsmith_views
