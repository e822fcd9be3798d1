#include "glyphsmith_views/photo_overlay.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/icon_image.hpp"
#include "glyphsmith_views/painter_paths.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::PhotoTool;
using glyphsmith_state::PreviewMode;
using icon_geometry::Vector2;

// ----- The mapping -----

std::optional<PhotoFit> PhotoFit::of(QSizeF area, QSizeF photo) {
    const auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (!positive(area.width()) || !positive(area.height()) || !positive(photo.width()) || !positive(photo.height()))
        return std::nullopt;
    PhotoFit fit;
    fit.scale = std::min(area.width() / photo.width(), area.height() / photo.height());
    fit.originX = (area.width() - fit.scale * photo.width()) / 2;
    fit.originY = (area.height() - fit.scale * photo.height()) / 2;
    return fit;
}

QPointF PhotoFit::toView(Vector2 p) const {
    return {originX + scale * p.x, originY + scale * p.y};
}

Vector2 PhotoFit::toPhoto(QPointF p) const {
    return {(p.x() - originX) / scale, (p.y() - originY) / scale};
}

QTransform PhotoFit::transform() const {
    return QTransform(scale, 0, 0, scale, originX, originY);
}

double PhotoFit::hitTolerance() const {
    return PreviewMetrics::proposalHitRadius / scale;
}

// ----- Texts -----

QString photoPrompt(const PhotoTool& tool, std::size_t cornerCount, bool hasProposals) {
    if (std::holds_alternative<PhotoTool::Corners>(tool.value))
        return QObject::tr("Cliquez le coin n° %1 : haut gauche, haut droit, bas droit, bas gauche")
            .arg(static_cast<qulonglong>(cornerCount) + 1);
    if (std::holds_alternative<PhotoTool::Place>(tool.value))
        return QObject::tr("Cliquez l’emplacement du détail sur la face");
    return hasProposals ? QObject::tr("Cliquez un détail proposé pour le garder ou le retirer")
                        : QObject::tr("Icône produite sur la photo");
}

QString proposalKindWord(const photo_analysis::DetectedFeature& feature) {
    using Feature = photo_analysis::DetectedFeature;
    if (std::holds_alternative<Feature::Dot>(feature.value)) return QObject::tr("Point");
    if (std::holds_alternative<Feature::Outline>(feature.value)) return QObject::tr("Contour");
    if (std::holds_alternative<Feature::Stroke>(feature.value)) return QObject::tr("Trait");
    if (std::holds_alternative<Feature::Boundary>(feature.value)) return QObject::tr("Limite de couleur");
    return QObject::tr("Pictogramme");
}

// ----- The photo area -----

namespace {

// The photo at `target` device pixels. A photo much larger than its place is
// first sampled down to twice that size, so the smooth pass reads a few
// hundred thousand pixels rather than twelve million.
QImage scaledPhoto(const photo_analysis::Photo& photo, QSize target) {
    const QImage full(photo.pixels().data(), photo.width(), photo.height(), photo.width() * 4,
                      QImage::Format_RGBA8888_Premultiplied);
    QImage source = full;
    if (full.width() > 2 * target.width() && full.height() > 2 * target.height())
        source = full.scaled(target * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

PhotoArea::PhotoArea(glyphsmith_state::ProjectStore& store, QWidget* parent)
    : QWidget(parent), opacity_(PreviewMetrics::overlayOpacity) {
    setAccessibleName(tr("Photo de face de l’appareil"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    glyphsmith_state::followCurrentEditor(store, this, [this](DriverEditor& editor, QObject& context) {
        editor_ = &editor;
        connect(&editor, &DriverEditor::facePhotoChanged, &context, [this] { update(); });
        connect(&editor, &DriverEditor::cornersChanged, &context, [this] {
            refreshDescription();
            update();
        });
        connect(&editor, &DriverEditor::toolChanged, &context, [this] {
            refreshCursor();
            update();
        });
        connect(&editor, &DriverEditor::proposalsChanged, &context, [this] { refreshProposals(); });
        refreshCursor();
        refreshProposals();
    });
}

void PhotoArea::refreshCursor() {
    const bool none = !editor_ || std::holds_alternative<PhotoTool::None>(editor_->tool().value);
    setCursor(none ? Qt::ArrowCursor : Qt::CrossCursor);
}

void PhotoArea::setIconImage(const IconImage* image) {
    icon_ = image;
    iconLayer_ = QImage();
    update();
}

void PhotoArea::setIconOpacity(double opacity) {
    opacity_ = std::clamp(opacity, 0.0, 1.0);
    update();
}

std::optional<PhotoFit> PhotoArea::fit() const {
    if (!editor_ || !editor_->facePhoto()) return std::nullopt;
    const auto& photo = *editor_->facePhoto();
    return PhotoFit::of(QSizeF(size()), QSizeF(photo.width(), photo.height()));
}

void PhotoArea::refreshProposals() {
    proposals_.clear();
    if (editor_) {
        for (const auto& proposal : editor_->proposals()) {
            QPainterPath outline;
            for (const auto& path : proposal.photoPaths) outline.addPath(painterPath(path));
            proposals_.emplace_back(std::move(outline), proposal.isKept);
        }
    }
    refreshDescription();
    update();
}

void PhotoArea::refreshDescription() {
    // The painted marks, for a screen reader: each corner, then each proposal.
    QStringList marks;
    if (editor_) {
        for (std::size_t i = 0; i < editor_->corners().size(); ++i)
            marks << tr("Coin n° %1").arg(static_cast<qulonglong>(i) + 1);
        for (const auto& proposal : editor_->proposals())
            marks << proposalKindWord(proposal.feature) + QStringLiteral(", ") +
                         (proposal.isKept ? tr("gardé") : tr("retiré"));
    }
    setAccessibleDescription(marks.join(QStringLiteral(" ; ")));
}

void PhotoArea::clickAt(QPointF point) {
    const std::optional<PhotoFit> photoFit = fit();
    if (!photoFit) return;
    const Vector2 p = photoFit->toPhoto(point);
    if (std::holds_alternative<PhotoTool::None>(editor_->tool().value) && !editor_->proposals().empty()) {
        editor_->toggleProposalNear(p, photoFit->hitTolerance());
        return;
    }
    editor_->handlePhotoClick(p.x, p.y);
}

void PhotoArea::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    event->accept();
    clickAt(event->position());
}

void PhotoArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    iconLayer_ = QImage();
}

const QImage& PhotoArea::shownPhoto(const PhotoFit& photoFit) {
    const auto& photo = *editor_->facePhoto();
    const double ratio = devicePixelRatioF();
    const QSize target(std::max(1, static_cast<int>(std::lround(photoFit.scale * photo.width() * ratio))),
                       std::max(1, static_cast<int>(std::lround(photoFit.scale * photo.height() * ratio))));
    if (scaled_.isNull() || scaledEditor_ != editor_->serial() || scaledRevision_ != editor_->facePhotoRevision() ||
        scaled_.size() != target) {
        scaled_ = scaledPhoto(photo, target);
        scaled_.setDevicePixelRatio(ratio);
        scaledEditor_ = editor_->serial();
        scaledRevision_ = editor_->facePhotoRevision();
        ++scalings_;
    }
    return scaled_;
}

void PhotoArea::paintEvent(QPaintEvent*) {
    const std::optional<PhotoFit> photoFit = fit();
    if (!photoFit) return;
    const auto& photo = *editor_->facePhoto();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // 1. The photo, at its fitted place.
    const QRectF photoRect(photoFit->originX, photoFit->originY, photoFit->scale * photo.width(),
                           photoFit->scale * photo.height());
    painter.drawImage(photoRect.topLeft(), shownPhoto(*photoFit));

    // 2. The icon, over the whole area rather than the photo, while no tool waits for a click.
    const int side = std::min(width(), height());
    if (icon_ && side > 0 && std::holds_alternative<PhotoTool::None>(editor_->tool().value)) {
        if (iconLayer_.isNull()) {
            // One layer at the opacity: where the bodies overlap the ink is not darker.
            iconLayer_ = QImage(QSize(side, side) * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
            iconLayer_.setDevicePixelRatio(devicePixelRatioF());
            iconLayer_.fill(Qt::transparent);
            QPainter layerPainter(&iconLayer_);
            layerPainter.setRenderHint(QPainter::Antialiasing);
            icon_->paint(layerPainter, QRectF(0, 0, side, side), Palette::ink());
        }
        painter.setOpacity(opacity_);
        painter.drawImage(QPointF((width() - side) / 2.0, (height() - side) / 2.0), iconLayer_);
        painter.setOpacity(1);
    }

    // 3. The corners clicked so far: the line through them, closed at four, and a dot on each.
    const auto& corners = editor_->corners();
    if (!corners.empty()) {
        QPainterPath line;
        line.moveTo(photoFit->toView(corners.front()));
        for (std::size_t i = 1; i < corners.size(); ++i) line.lineTo(photoFit->toView(corners[i]));
        if (corners.size() == 4) line.closeSubpath();
        QPen pen(Palette::selection(), PreviewMetrics::outlineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(line);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::selection());
        for (const Vector2& corner : corners) painter.drawEllipse(photoFit->toView(corner), 5.0, 5.0);
    }

    // 4. The proposals: kept ones solid green, removed ones dashed grey.
    if (!proposals_.empty()) {
        const QTransform toView = photoFit->transform();
        QPen kept(Palette::passed(), PreviewMetrics::outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        kept.setMiterLimit(10);
        QPen removed = kept;
        removed.setColor(Palette::neutral());
        // A dash pattern is in units of the pen's width.
        removed.setDashPattern({PreviewMetrics::dash[0] / PreviewMetrics::outlineWidth,
                                PreviewMetrics::dash[1] / PreviewMetrics::outlineWidth});
        removed.setDashOffset(0);
        painter.setBrush(Qt::NoBrush);
        for (const auto& [outline, isKept] : proposals_) {
            painter.setPen(isKept ? kept : removed);
            painter.drawPath(toView.map(outline));
        }
    }
}

// ----- The overlay -----

namespace {

// "Aucune photo": the symbol, the title and what to do.
class PhotoPlaceholder final : public QWidget {
public:
    explicit PhotoPlaceholder(QWidget* parent) : QWidget(parent) {
        setAccessibleName(tr("Aucune photo"));
        setAccessibleDescription(tr("Ajoutez une photo de face dans l’inspecteur."));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor colour = Palette::neutral();
        const QPointF centre = QRectF(rect()).center();
        const double symbol = 48;
        paintSymbol(painter, QStringLiteral("photo"), colour,
                    QRectF(centre.x() - symbol / 2, centre.y() - symbol - 24, symbol, symbol));
        QFont title = roleFont(font(), TextRole::largeTitle);
        title.setBold(true);
        painter.setFont(title);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRectF(0, centre.y() - 16, width(), 28), Qt::AlignCenter, tr("Aucune photo"));
        painter.setFont(font());
        painter.setPen(colour);
        painter.drawText(QRectF(0, centre.y() + 16, width(), 24), Qt::AlignCenter,
                         tr("Ajoutez une photo de face dans l’inspecteur."));
    }
};

}  // namespace

PhotoOverlay::PhotoOverlay(GlyphsmithApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    layout->addWidget(stack_);
    placeholder_ = new PhotoPlaceholder(stack_);
    stack_->addWidget(placeholder_);

    photoPage_ = new QWidget(stack_);
    auto* page = new QVBoxLayout(photoPage_);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(static_cast<int>(Spacing::small));
    area_ = new PhotoArea(app_.store(), photoPage_);
    page->addWidget(area_, 1);
    auto* controls = new QHBoxLayout;
    const int medium = static_cast<int>(Spacing::medium);
    controls->setContentsMargins(medium, 0, medium, 0);
    prompt_ = plainLabel(QString(), photoPage_);
    prompt_->setWordWrap(true);
    setTextColour(*prompt_, Palette::neutral());
    controls->addWidget(prompt_, 1);
    slider_ = new QSlider(Qt::Horizontal, photoPage_);
    slider_->setRange(0, 1000);
    slider_->setValue(static_cast<int>(std::lround(PreviewMetrics::overlayOpacity * 1000)));
    slider_->setAccessibleName(tr("Opacité de l’icône"));
    slider_->setToolTip(tr("Opacité de l’icône"));
    slider_->setMaximumWidth(240);
    slider_->setMinimumWidth(120);
    connect(slider_, &QSlider::valueChanged, this, [this](int value) { area_->setIconOpacity(value / 1000.0); });
    controls->addWidget(slider_);
    page->addLayout(controls);
    stack_->addWidget(photoPage_);

    // The opacity lives as long as the photo mode is shown: leaving it starts the next one afresh.
    connect(&app_.session(), &glyphsmith_state::AppSession::previewModeChanged, this, [this] {
        if (app_.session().previewMode() != PreviewMode::overlay)
            slider_->setValue(static_cast<int>(std::lround(PreviewMetrics::overlayOpacity * 1000)));
    });
    glyphsmith_state::followCurrentEditor(app_.store(), this, [this](DriverEditor& editor, QObject& context) {
        for (auto signal : {&DriverEditor::facePhotoChanged, &DriverEditor::toolChanged, &DriverEditor::cornersChanged,
                            &DriverEditor::proposalsChanged})
            connect(&editor, signal, &context, [this] { refresh(); });
        refresh();
    });
}

void PhotoOverlay::setIconImage(const IconImage* image) {
    area_->setIconImage(image);
}

bool PhotoOverlay::showsPlaceholder() const {
    return stack_->currentWidget() == placeholder_;
}

void PhotoOverlay::refresh() {
    const DriverEditor& editor = app_.store().currentEditor();
    const bool hasPhoto = editor.facePhoto() && !editor.facePhoto()->isEmpty();
    stack_->setCurrentWidget(hasPhoto ? photoPage_ : placeholder_);
    prompt_->setText(photoPrompt(editor.tool(), editor.corners().size(), !editor.proposals().empty()));
}

}  // namespace glyphsmith_views
