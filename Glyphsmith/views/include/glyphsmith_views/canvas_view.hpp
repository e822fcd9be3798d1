#pragma once

// The canvas, the main window's centre column: the preview-mode picker, the
// preview of the current editor's icon in the chosen mode (icon, tiles, mask or
// the photo overlay), the validation summary under it, a busy indicator while
// the editor works, and a drop target for image files.

#include <QList>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "glyphsmith_state/preview_mode.hpp"
#include "glyphsmith_views/icon_image.hpp"

class QStackedWidget;

namespace glyphsmith_views {

class ActionRegistry;
class GlyphsmithApp;
class ValidationSummary;

class CanvasView : public QWidget {
    Q_OBJECT
public:
    // The mode buttons show the registry's preview actions.
    CanvasView(GlyphsmithApp& app, const ActionRegistry& actions, QWidget* parent = nullptr);
    ~CanvasView() override;

    // What a drop of these files does: nothing and false when none is an image;
    // otherwise the images become photos of the current editor, the mode becomes
    // overlay at once, and true.
    bool dropFiles(const QList<QUrl>& urls);

    // What the canvas shows now (its icon, validation and camera deviation).
    const CanvasPicture& picture() const { return *picture_; }
    QColor brand() const;
    // The preview widget of a mode, and the summary and busy indicator.
    QWidget* preview(glyphsmith_state::PreviewMode mode) const;
    ValidationSummary* summary() const;
    QWidget* busyIndicator() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Parts;
    void refreshMode();
    void refreshPicture();
    void refreshBusy();

    GlyphsmithApp& app_;
    std::unique_ptr<Parts> parts_;
    CanvasPictureCache cache_;
    const CanvasPicture* picture_ = nullptr;
};

}  // namespace glyphsmith_views
