#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QLocale>
#include <QSignalBlocker>

#include "editing/compliance_rows.hpp"
#include "editing/section_parts.hpp"
#include "editing/sections.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::ProjectStore;
using icon_geometry::Camera;

namespace {

// Sliders move in hundredths: continuous to the hand, integers to the slider.
constexpr double sliderScale = 100;

QString oneDigit(double value) {
    return oneDecimalText(value);
}

// The camera the driver is drawn with: its own, or the brand camera shared by
// every driver without one.
class ProjectionContent final : public QWidget {
public:
    ProjectionContent(ProjectStore& store, DriverEditor& editor) : store_(store), editor_(editor) {
        form_ = sectionForm(this);
        brand_ = new QCheckBox(inspectorText("Angle de la marque"), this);
        brand_->setAccessibleName(inspectorText("Angle de la marque"));
        connect(brand_, &QCheckBox::toggled, this, [this](bool on) {
            editor_.setUsesBrandCamera(on);
            refresh();
        });
        form_->addRow(brand_);
        yaw_ = addRow(inspectorText("Lacet"), Camera::yawRange, [](Camera& c, double v) { c.yawDegrees = v; });
        elevation_ = addRow(inspectorText("Élévation"), Camera::elevationRange,
                            [](Camera& c, double v) { c.elevationDegrees = v; });
        distance_ = addRow(inspectorText("Distance, en diagonales"), Camera::distanceRange,
                           [](Camera& c, double v) { c.distanceInDiagonals = v; });
        note_ = noteLabel(inspectorText("Réglé une fois pour toute l’app, appliqué à tous ses pilotes."), this);
        form_->addRow(note_);
        connect(&editor_, &DriverEditor::modelChanged, this, &ProjectionContent::refresh);
        connect(&store_, &ProjectStore::brandCameraChanged, this, &ProjectionContent::refresh);
        refresh();
    }

private:
    struct Row {
        QLabel* label = nullptr;
        ValueSlider* slider = nullptr;
    };

    Row addRow(const QString& name, Camera::Range range, void (*set)(Camera&, double)) {
        Row row;
        row.label = new QLabel(this);
        row.label->setTextFormat(Qt::PlainText);
        row.slider = new ValueSlider(
            name, range.lowerBound, range.upperBound, sliderScale,
            [this, set](double value) {
                Camera camera = shownCamera();
                set(camera, value);
                write(camera);
            },
            this);
        addSliderRow(form_, row.label, row.slider);
        return row;
    }

    // The driver's own camera while it has one, else the brand camera.
    Camera shownCamera() const { return editor_.model().camera.value_or(store_.brandCamera()); }

    void write(const Camera& camera) {
        if (editor_.model().camera) {
            if (*editor_.model().camera == camera) return;
            auto model = editor_.model();
            model.camera = camera;
            editor_.setModel(std::move(model));
        } else {
            store_.setBrandCamera(camera);
        }
    }

    static void show(Row& row, const QString& text, double value) {
        if (row.label->text() != text) row.label->setText(text);
        row.slider->setAccessibleDescription(text);
        row.slider->showValue(value);
    }

    void refresh() {
        const bool usesBrand = editor_.usesBrandCamera();
        {
            const QSignalBlocker blocker(brand_);
            brand_->setChecked(usesBrand);
        }
        const Camera camera = shownCamera();
        show(yaw_, inspectorText("Lacet : %1°").arg(oneDigit(camera.yawDegrees)), camera.yawDegrees);
        show(elevation_, inspectorText("Élévation : %1°").arg(oneDigit(camera.elevationDegrees)),
             camera.elevationDegrees);
        show(distance_, inspectorText("Distance, en diagonales : %1").arg(oneDigit(camera.distanceInDiagonals)),
             camera.distanceInDiagonals);
        if (note_->isHidden() == usesBrand) note_->setVisible(usesBrand);
    }

    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::LocaleChange) refresh();
        QWidget::changeEvent(event);
    }

    ProjectStore& store_;
    DriverEditor& editor_;
    QFormLayout* form_ = nullptr;
    QCheckBox* brand_ = nullptr;
    Row yaw_;
    Row elevation_;
    Row distance_;
    QLabel* note_ = nullptr;
};

}  // namespace

QWidget* makeProjectionSection(ProjectStore& store, DriverEditor& editor) {
    return new ProjectionContent(store, editor);
}

}  // namespace glyphsmith_views
