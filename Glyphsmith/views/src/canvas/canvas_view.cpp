#include "glyphsmith_views/canvas_view.hpp"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/photo_overlay.hpp"
#include "glyphsmith_views/previews.hpp"
#include "glyphsmith_views/validation_summary.hpp"

namespace glyphsmith_views {

using glyphsmith_state::allPreviewModes;
using glyphsmith_state::DriverEditor;
using glyphsmith_state::PreviewMode;
using glyphsmith_state::ProjectStore;

namespace {

// The large busy indicator: a turning arc, shown centred over the canvas.
class BusyIndicator final : public QWidget {
public:
    explicit BusyIndicator(QWidget* parent) : QWidget(parent) {
        setFixedSize(48, 48);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAccessibleName(QObject::tr("Traitement en cours"));
        timer_.setInterval(40);
        connect(&timer_, &QTimer::timeout, this, [this] {
            angle_ = (angle_ + 12) % 360;
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override { timer_.start(); }
    void hideEvent(QHideEvent*) override { timer_.stop(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF ring = QRectF(rect()).adjusted(5, 5, -5, -5);
        painter.setPen(QPen(Palette::border(), 5));
        painter.drawEllipse(ring);
        painter.setPen(QPen(Palette::neutral(), 5, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(ring, -angle_ * 16, 100 * 16);
    }

private:
    QTimer timer_;
    int angle_ = 0;
};

}  // namespace

struct CanvasView::Parts {
    QStackedWidget* previews = nullptr;
    IconPreview* icon = nullptr;
    TilesPreview* tiles = nullptr;
    MaskPreview* mask = nullptr;
    PhotoOverlay* overlay = nullptr;
    ValidationSummary* summary = nullptr;
    BusyIndicator* busy = nullptr;
};

CanvasView::CanvasView(GlyphsmithApp& app, const ActionRegistry& actions, QWidget* parent)
    : QWidget(parent), app_(app), parts_(std::make_unique<Parts>()) {
    setAccessibleName(tr("Aperçu"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    const int medium = static_cast<int>(Spacing::medium);
    layout->setContentsMargins(0, medium, 0, medium);
    layout->setSpacing(medium);

    // The segmented picker: the modes' checkable actions, side by side.
    auto* picker = new QHBoxLayout;
    picker->setContentsMargins(medium, 0, medium, 0);
    picker->setSpacing(0);
    picker->addStretch(1);
    for (const PreviewMode mode : allPreviewModes) {
        auto* button = new QToolButton;
        button->setDefaultAction(actions.previewAction(mode));
        button->setAccessibleName(title(mode));
        button->setFocusPolicy(Qt::StrongFocus);
        button->setMinimumWidth(72);
        picker->addWidget(button);
    }
    picker->addStretch(1);
    layout->addLayout(picker);

    parts_->previews = new QStackedWidget;
    parts_->icon = new IconPreview;
    parts_->tiles = new TilesPreview;
    parts_->mask = new MaskPreview;
    parts_->overlay = new PhotoOverlay(app_);
    for (QWidget* preview : std::initializer_list<QWidget*>{parts_->icon, parts_->tiles, parts_->mask, parts_->overlay})
        parts_->previews->addWidget(preview);
    parts_->previews->setMinimumSize(0, 0);
    layout->addWidget(parts_->previews, 1);

    parts_->summary = new ValidationSummary;
    auto* summaryRow = new QHBoxLayout;
    summaryRow->setContentsMargins(medium, 0, medium, 0);
    summaryRow->addWidget(parts_->summary);
    layout->addLayout(summaryRow);

    parts_->busy = new BusyIndicator(this);
    parts_->busy->hide();

    ProjectStore& store = app_.store();
    connect(&app_.session(), &glyphsmith_state::AppSession::previewModeChanged, this, &CanvasView::refreshMode);
    for (auto signal :
         {&ProjectStore::appChanged, &ProjectStore::brandCameraChanged, &ProjectStore::selectedDriverIDChanged})
        connect(&store, signal, this, &CanvasView::refreshPicture);
    refreshMode();
    glyphsmith_state::followCurrentEditor(store, this, [this](DriverEditor& editor, QObject& context) {
        for (auto signal : {&DriverEditor::modelChanged, &DriverEditor::proposalsChanged})
            connect(&editor, signal, &context, [this] { refreshPicture(); });
        connect(&editor, &DriverEditor::isWorkingChanged, &context, [this] { refreshBusy(); });
        refreshPicture();
        refreshBusy();
    });
}

CanvasView::~CanvasView() = default;

QWidget* CanvasView::preview(PreviewMode mode) const {
    return parts_->previews->widget(static_cast<int>(mode));
}
ValidationSummary* CanvasView::summary() const {
    return parts_->summary;
}
QWidget* CanvasView::busyIndicator() const {
    return parts_->busy;
}

QColor CanvasView::brand() const {
    const auto& project = app_.store().app();
    const auto colour = project ? Palette::color(project->brandColor) : std::nullopt;
    return colour.value_or(Palette::defaultBrand());
}

void CanvasView::refreshMode() {
    parts_->previews->setCurrentIndex(static_cast<int>(app_.session().previewMode()));
}

void CanvasView::refreshPicture() {
    const DriverEditor& editor = app_.store().currentEditor();
    picture_ = &cache_.picture(editor, app_.store().brandCamera());
    const QColor brandColour = brand();
    parts_->icon->show(picture_->icon, app_.store().currentTitle());
    parts_->tiles->show(picture_->icon, brandColour);
    parts_->mask->show(picture_->icon, brandColour);
    parts_->overlay->setIconImage(picture_->icon ? &*picture_->icon : nullptr);
    parts_->summary->show(picture_->report, picture_->deviates);
}

void CanvasView::refreshBusy() {
    const bool working = app_.store().currentEditor().isWorking();
    if (working) {
        parts_->busy->move(rect().center() - parts_->busy->rect().center());
        parts_->busy->raise();
    }
    parts_->busy->setVisible(working);
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    parts_->busy->move(rect().center() - parts_->busy->rect().center());
}

bool CanvasView::dropFiles(const QList<QUrl>& urls) {
    const QList<QUrl> images = acceptedImageFiles(urls);
    if (images.isEmpty()) return false;
    app_.session().openImages(images);
    return true;
}

void CanvasView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CanvasView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CanvasView::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasUrls() && dropFiles(event->mimeData()->urls()))
        event->acceptProposedAction();
    else
        event->ignore();
}

}  // namespace glyphsmith_views
