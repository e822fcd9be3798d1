#include "editing/photos_section.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "editing/section_parts.hpp"
#include "editing/sections.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::LoadedPhoto;
using glyphsmith_state::PhotoTool;

namespace {

QPushButton* sectionButton(const QString& text, QWidget* parent, const QString& help = {}) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    if (!help.isEmpty()) button->setToolTip(help);
    return button;
}

// The photo stretched to a small square with a 1-pixel border, decorative.
class PhotoThumbnail final : public QWidget {
public:
    PhotoThumbnail(const photo_analysis::Photo& photo, QWidget* parent) : QWidget(parent) {
        const int side = static_cast<int>(PreviewMetrics::photoThumbnailSide);
        setFixedSize(side, side);
        const qreal ratio = devicePixelRatioF();
        const QSize target = QSize(side, side) * ratio;
        if (!photo.isEmpty()) {
            const QImage full(photo.pixels().data(), photo.width(), photo.height(), photo.width() * 4,
                              QImage::Format_RGBA8888_Premultiplied);
            // Sampled down first: a twelve-megapixel photo is not smoothed whole for 44 pixels.
            image_ = full.scaled(target * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                         .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            image_.setDevicePixelRatio(ratio);
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!image_.isNull()) painter.drawImage(QPointF(0, 0), image_);
        painter.setPen(QPen(Palette::border(), 1));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }

private:
    QImage image_;
};

// A checkbox's text that wraps: a click on it toggles the box.
class ClickableLabel final : public QLabel {
public:
    ClickableLabel(const QString& text, QAbstractButton* box, QWidget* parent) : QLabel(parent), box_(box) {
        setTextFormat(Qt::PlainText);
        setText(text);
        setWordWrap(true);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (box_->isEnabled()) box_->click();
    }

private:
    QAbstractButton* box_;
};

QString fileNameOf(const QUrl& url) {
    const QString name = url.fileName();
    return name.isEmpty() ? url.toDisplayString() : name;
}

}  // namespace

PhotosSection::PhotosSection(glyphsmith_state::ProjectStore& store, DriverEditor& editor, PhotoPicker picker,
                             QWidget* parent)
    : QWidget(parent), editor_(editor), picker_(std::move(picker)) {
    if (!picker_) picker_ = [&store](bool several) { return store.choosePhotoFiles(several); };
    setAccessibleName(tr("Photos"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(static_cast<int>(Spacing::small));

    // The three pickers.
    several_ =
        sectionButton(tr("Photos de l’objet…"), this,
                      tr("Une ou plusieurs vues : la face et le profil sont reconnus, puis les détails proposés"));
    face_ = sectionButton(tr("Photo de face…"), this);
    profile_ = sectionButton(tr("Photo de profil…"), this);
    for (QAbstractButton* button : {several_, face_, profile_}) layout->addWidget(button, 0, Qt::AlignLeft);
    connect(several_, &QAbstractButton::clicked, this, [this] {
        const QList<QUrl> chosen = picker_(true);
        if (!chosen.isEmpty()) editor_.addPhotos(chosen, false, true);
    });
    connect(face_, &QAbstractButton::clicked, this, [this] {
        const QList<QUrl> chosen = picker_(false);
        if (!chosen.isEmpty()) editor_.addPickedPhotos(chosen.front());
    });
    connect(profile_, &QAbstractButton::clicked, this, [this] {
        const QList<QUrl> chosen = picker_(false);
        if (!chosen.isEmpty()) editor_.loadPickedPhoto(chosen.front());
    });

    // On Linux images are dropped on the canvas or opened with the app.
    hint_ = noteLabel(tr("Ou déposez une ou plusieurs photos sur l’aperçu, ou ouvrez-les avec l’app."), this);
    layout->addWidget(hint_);

    photoRows_ = new QWidget(this);
    photoRowsLayout_ = new QVBoxLayout(photoRows_);
    photoRowsLayout_->setContentsMargins(0, 0, 0, 0);
    photoRowsLayout_->setSpacing(static_cast<int>(Spacing::small));
    layout->addWidget(photoRows_);

    depth_ = noteLabel(QString(), this);
    layout->addWidget(depth_);

    // The face tools.
    faceTools_ = new QWidget(this);
    auto* tools = new QVBoxLayout(faceTools_);
    tools->setContentsMargins(0, 0, 0, 0);
    tools->setSpacing(static_cast<int>(Spacing::small));
    auto* keepRow = new QHBoxLayout;
    keepRow->setSpacing(static_cast<int>(Spacing::extraSmall));
    // The box and its text apart, so that the text wraps in the inspector's width.
    const QString keepText = tr("Garder le rapport saisi (dimensions de la fiche)");
    keepAspect_ = new QCheckBox(faceTools_);
    keepAspect_->setAccessibleName(keepText);
    keepRow->addWidget(keepAspect_, 0, Qt::AlignTop);
    auto* keepLabel = new ClickableLabel(keepText, keepAspect_, faceTools_);
    keepRow->addWidget(keepLabel, 1);
    tools->addLayout(keepRow);
    connect(keepAspect_, &QCheckBox::toggled, this, [this](bool keep) { editor_.setKeepEnteredAspect(keep); });
    corners_ = sectionButton(tr("Cliquer les quatre coins de la face"), faceTools_,
                             tr("Dans l’aperçu Photo : haut gauche, haut droit, bas droit, bas gauche"));
    connect(corners_, &QAbstractButton::clicked, this, [this] {
        editor_.setCorners({});
        editor_.setTool(PhotoTool::corners());
    });
    fit_ = sectionButton(tr("Ajuster la forme sur la photo de face"), faceTools_,
                         tr("Pour une photo prise de face : forme, proportions et coins tirés de la silhouette"));
    connect(fit_, &QAbstractButton::clicked, this, [this] { editor_.fitFaceOutline(); });
    detect_ = sectionButton(tr("Détecter les détails sur la photo"), faceTools_,
                            tr("Touches, voyants, pictogrammes et limites de couleur, proposés sur l’aperçu Photo"));
    connect(detect_, &QAbstractButton::clicked, this, [this] { editor_.detectDetails(false); });
    for (QAbstractButton* button : {corners_, fit_, detect_}) tools->addWidget(button, 0, Qt::AlignLeft);

    // The review of the proposals.
    review_ = new QWidget(faceTools_);
    auto* reviewLayout = new QVBoxLayout(review_);
    reviewLayout->setContentsMargins(0, 0, 0, 0);
    reviewLayout->setSpacing(static_cast<int>(Spacing::small));
    count_ = noteLabel(QString(), review_);
    reviewLayout->addWidget(count_);
    auto* allRow = new QHBoxLayout;
    keepAll_ = sectionButton(tr("Tout garder"), review_);
    removeAll_ = sectionButton(tr("Tout retirer"), review_);
    allRow->addWidget(keepAll_);
    allRow->addWidget(removeAll_);
    allRow->addStretch(1);
    reviewLayout->addLayout(allRow);
    connect(keepAll_, &QAbstractButton::clicked, this, [this] { editor_.setAllProposalsKept(true); });
    connect(removeAll_, &QAbstractButton::clicked, this, [this] { editor_.setAllProposalsKept(false); });
    auto* addRow = new QHBoxLayout;
    auto* addKept = sectionButton(tr("Ajouter les détails gardés"), review_);
    addKept->setDefault(false);
    addKept->setAutoDefault(false);
    // The prominent button of the block.
    QPalette prominent = addKept->palette();
    // Prominent while it can be pressed; a disabled one looks like any disabled button.
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        prominent.setColor(group, QPalette::Button, Palette::selection());
        prominent.setColor(group, QPalette::ButtonText, Qt::white);
    }
    addKept->setPalette(prominent);
    addKept_ = addKept;
    abandon_ = sectionButton(tr("Abandonner"), review_);
    addRow->addWidget(addKept_);
    addRow->addWidget(abandon_);
    addRow->addStretch(1);
    reviewLayout->addLayout(addRow);
    connect(addKept_, &QAbstractButton::clicked, this, [this] { editor_.addKeptProposals(); });
    connect(abandon_, &QAbstractButton::clicked, this, [this] { editor_.setProposals({}); });
    tools->addWidget(review_);
    layout->addWidget(faceTools_);

    for (auto signal :
         {&DriverEditor::facePhotoChanged, &DriverEditor::modelChanged, &DriverEditor::keepEnteredAspectChanged,
          &DriverEditor::proposalsChanged, &DriverEditor::isWorkingChanged})
        connect(&editor_, signal, this, &PhotosSection::refresh);
    connect(&editor_, &DriverEditor::loadedPhotosChanged, this, &PhotosSection::rebuildPhotoRows);
    connect(&editor_, &DriverEditor::profileDepthRatioChanged, this, &PhotosSection::refreshDepth);
    rebuildPhotoRows();
    refreshDepth();
    refresh();
}

void PhotosSection::rebuildPhotoRows() {
    // A role change may rebuild the rows from inside a picker's own signal: the
    // old rows go once control has left them.
    for (QObject* child : photoRows_->children())
        if (auto* row = qobject_cast<QWidget*>(child)) {
            row->hide();
            row->deleteLater();
        }
    rolePickers_.clear();
    const auto& photos = editor_.loadedPhotos();
    photoRows_->setVisible(photos.size() >= 2);
    if (photos.size() < 2) return;
    for (const LoadedPhoto& photo : photos) {
        auto* row = new QWidget(photoRows_);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(static_cast<int>(Spacing::small));
        rowLayout->addWidget(new PhotoThumbnail(photo.photo, row));
        const QString name = fileNameOf(photo.url);
        QLabel* nameLabel = plainLabel(name, row);
        nameLabel->setFont(roleFont(nameLabel->font(), TextRole::caption));
        nameLabel->setToolTip(name);
        nameLabel->setMinimumWidth(1);
        nameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        // One line, shortened in its middle to the room it has.
        nameLabel->setText(nameLabel->fontMetrics().elidedText(name, Qt::ElideMiddle, 120));
        rowLayout->addWidget(nameLabel, 1);
        auto* picker = new Picker(tr("Rôle de %1").arg(name), row);
        picker->setMinimumContentsLength(7);
        picker->addItem(tr("Face"), static_cast<int>(LoadedPhoto::Role::face));
        picker->addItem(tr("Profil"), static_cast<int>(LoadedPhoto::Role::profile));
        picker->addItem(tr("Réserve"), static_cast<int>(LoadedPhoto::Role::spare));
        picker->setCurrentIndex(picker->findData(static_cast<int>(photo.role)));
        const QUuid id = photo.id;
        connect(picker, &QComboBox::activated, this, [this, picker, id](int index) {
            editor_.setPhotoRole(id, static_cast<LoadedPhoto::Role>(picker->itemData(index).toInt()));
        });
        rowLayout->addWidget(picker);
        photoRowsLayout_->addWidget(row);
        rolePickers_.append(picker);
    }
    controlsChanged(this);
    refresh();
}

void PhotosSection::refreshDepth() {
    const std::optional<double> ratio = editor_.profileDepthRatio();
    depth_->setVisible(ratio.has_value());
    if (ratio)
        depth_->setText(tr("Épaisseur lue sur le profil : %1 × hauteur").arg(QLocale().toString(*ratio, 'f', 2)));
}

void PhotosSection::refresh() {
    const bool hasPhoto = editor_.facePhoto().has_value();
    hint_->setVisible(!hasPhoto);
    const bool toolsShown = hasPhoto && editor_.model().hasExtrudedPrimaryBody();
    const bool reviewShown = !editor_.proposals().empty();
    // Tab follows the controls that come and go.
    if (toolsShown != faceTools_->isVisibleTo(this) || reviewShown != review_->isVisibleTo(faceTools_))
        controlsChanged(this);
    faceTools_->setVisible(toolsShown);
    {
        const QSignalBlocker quiet(keepAspect_);
        keepAspect_->setChecked(editor_.keepEnteredAspect());
    }
    const bool working = editor_.isWorking();
    detect_->setEnabled(!working);
    for (QComboBox* picker : rolePickers_) picker->setEnabled(!working);

    const auto& proposals = editor_.proposals();
    review_->setVisible(reviewShown);
    const auto kept = std::count_if(proposals.begin(), proposals.end(), [](const auto& p) { return p.isKept; });
    count_->setText(tr("%1 détails gardés sur %2. Dans l’aperçu Photo, cliquez un détail pour le garder ou le "
                       "retirer.")
                        .arg(kept)
                        .arg(proposals.size()));
    addKept_->setEnabled(kept > 0);
}

void PhotosSection::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) refreshDepth();
}

QWidget* makePhotosSection(glyphsmith_state::ProjectStore& store, DriverEditor& editor) {
    return new PhotosSection(store, editor);
}

}  // namespace glyphsmith_views
