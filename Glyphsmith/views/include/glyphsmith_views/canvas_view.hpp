#pragma once

// The canvas, the main window's centre column: the preview-mode picker, the
// preview of the current editor's icon in the chosen mode (icon, tiles, mask or
// the photo overlay), the validation summary under it, a busy indicator while
// the editor works, and a drop target for image files.

#include <QList>
#include <QUrl>
#include <QWidget>

class QButtonGroup;
class QStackedWidget;

namespace glyphsmith_views {

class GlyphsmithApp;

class CanvasView : public QWidget {
    Q_OBJECT
public:
    explicit CanvasView(GlyphsmithApp& app, QWidget* parent = nullptr);
    ~CanvasView() override;

    // What a drop of these files does: nothing and false when none is an image;
    // otherwise the images become photos of the current editor, the mode becomes
    // overlay at once, and true.
    bool dropFiles(const QList<QUrl>& urls);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Parts;
    void refreshMode();

    GlyphsmithApp& app_;
    std::unique_ptr<Parts> parts_;
};

}  // namespace glyphsmith_views
