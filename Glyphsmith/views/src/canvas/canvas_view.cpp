#include "glyphsmith_views/canvas_view.hpp"

#include <QButtonGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"

namespace glyphsmith_views {

struct CanvasView::Parts {
    QButtonGroup* modes = nullptr;
    QStackedWidget* previews = nullptr;
};

CanvasView::CanvasView(GlyphsmithApp& app, QWidget* parent)
    : QWidget(parent), app_(app), parts_(std::make_unique<Parts>()) {
    setAccessibleName(tr("Aperçu"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    const int medium = static_cast<int>(Spacing::medium);
    layout->setContentsMargins(0, medium, 0, medium);
    layout->setSpacing(medium);

    auto* picker = new QHBoxLayout;
    picker->setContentsMargins(medium, 0, medium, 0);
    picker->setSpacing(0);
    picker->addStretch(1);
    parts_->modes = new QButtonGroup(this);
    parts_->modes->setExclusive(true);
    for (const PreviewMode mode : allPreviewModes) {
        auto* button = new QToolButton;
        button->setText(title(mode));
        button->setAccessibleName(title(mode));
        button->setCheckable(true);
        picker->addWidget(button);
        parts_->modes->addButton(button, static_cast<int>(mode));
    }
    picker->addStretch(1);
    layout->addLayout(picker);
    connect(parts_->modes, &QButtonGroup::idClicked, this,
            [this](int id) { app_.setPreviewMode(static_cast<PreviewMode>(id)); });

    parts_->previews = new QStackedWidget;
    for (std::size_t i = 0; i < allPreviewModes.size(); ++i) parts_->previews->addWidget(new QWidget);
    layout->addWidget(parts_->previews, 1);

    connect(&app_, &GlyphsmithApp::previewModeChanged, this, &CanvasView::refreshMode);
    refreshMode();
}

CanvasView::~CanvasView() = default;

void CanvasView::refreshMode() {
    const int index = static_cast<int>(app_.previewMode());
    if (auto* button = parts_->modes->button(index)) button->setChecked(true);
    parts_->previews->setCurrentIndex(index);
}

bool CanvasView::dropFiles(const QList<QUrl>& urls) {
    const QList<QUrl> images = acceptedImageFiles(urls);
    if (images.isEmpty()) return false;
    app_.openImages(images);
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
