#pragma once

// The canvas's photo mode: the current editor's face photo with the icon drawn
// over it, the clicked face corners and the detection proposals on the photo,
// the clicks that place details, add face corners and keep or remove
// proposals, the prompt that says what a click does, and the icon's opacity.

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QTransform>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "icon_geometry/vector.hpp"
#include "photo_analysis/detected_feature.hpp"

class QLabel;
class QSlider;
class QStackedWidget;

namespace glyphsmith_views {

class GlyphsmithApp;
class IconImage;

// The photo fitted into an area, aspect kept and centred: the one mapping
// between photo pixels and the area's points (both y down), used both ways by
// the corners, the proposals and the clicks. Nothing is clamped or rounded: a
// point in the margins maps to a point outside the photo.
struct PhotoFit {
    double scale = 1;
    double originX = 0;
    double originY = 0;

    // Nothing when the area or the photo has no width or no height.
    static std::optional<PhotoFit> of(QSizeF area, QSizeF photo);

    QPointF toView(icon_geometry::Vector2 photoPoint) const;
    icon_geometry::Vector2 toPhoto(QPointF viewPoint) const;
    // Photo pixels to view points, for whole paths.
    QTransform transform() const;
    // The proposal hit radius in photo pixels.
    double hitTolerance() const;
};

// What a click on the photo does now, said to the user.
QString photoPrompt(const glyphsmith_state::PhotoTool& tool, std::size_t cornerCount, bool hasProposals);
// "Point", "Contour", "Trait", "Limite de couleur" or "Pictogramme".
QString proposalKindWord(const photo_analysis::DetectedFeature& feature);

// The photo with its layers; takes the clicks.
class PhotoArea : public QWidget {
    Q_OBJECT
public:
    // Shows the photo of the store's current editor, whichever it is.
    explicit PhotoArea(glyphsmith_state::ProjectStore& store, QWidget* parent = nullptr);

    void setIconImage(const IconImage* image);
    void setIconOpacity(double opacity);
    double iconOpacity() const { return opacity_; }

    // The fit of the face photo in the area as it is now; nothing without a photo
    // or without room.
    std::optional<PhotoFit> fit() const;
    // A click at a point of the area, as the mouse gives it.
    void clickAt(QPointF point);
    // How many times the photo was scaled for display (once per photo and size).
    int photoScalings() const { return scalings_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshCursor();
    void refreshProposals();
    void refreshDescription();
    const QImage& shownPhoto(const PhotoFit& fit);

    QPointer<glyphsmith_state::DriverEditor> editor_;
    const IconImage* icon_ = nullptr;
    double opacity_;
    // The photo at the size it is drawn, for the photo and size it was made for.
    QImage scaled_;
    std::uint64_t scaledEditor_ = 0;
    std::uint64_t scaledRevision_ = 0;
    int scalings_ = 0;
    // The icon drawn at the area's size, until the icon or the size changes.
    QImage iconLayer_;
    // The proposals' outlines in photo pixels, with whether each is kept.
    std::vector<std::pair<QPainterPath, bool>> proposals_;
};

class PhotoOverlay : public QWidget {
    Q_OBJECT
public:
    explicit PhotoOverlay(GlyphsmithApp& app, QWidget* parent = nullptr);

    // The icon the canvas drew for the current editor (nothing when it has none).
    void setIconImage(const IconImage* image);

    PhotoArea* area() const { return area_; }
    QLabel* prompt() const { return prompt_; }
    QSlider* opacitySlider() const { return slider_; }
    // The placeholder is shown, not the photo (no face photo).
    bool showsPlaceholder() const;

private:
    void refresh();

    GlyphsmithApp& app_;
    QStackedWidget* stack_ = nullptr;
    QWidget* placeholder_ = nullptr;
    QWidget* photoPage_ = nullptr;
    PhotoArea* area_ = nullptr;
    QLabel* prompt_ = nullptr;
    QSlider* slider_ = nullptr;
};

}  // namespace glyphsmith_views
