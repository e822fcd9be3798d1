#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "editing/compliance_rows.hpp"
#include "editing/section_parts.hpp"
#include "editing/sections.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::ProjectStore;
using homey_project::DriverImageSize;

namespace {

// The file each image is written to: the file its driver's manifest names
// ("small.jpg", say), else the size's PNG name, as for the free icon.
QString fileNameText(const ProjectStore& store, const DriverEditor& editor, DriverImageSize size) {
    if (store.app())
        for (const auto& [id, held] : store.editors())
            if (held.get() == &editor)
                for (const homey_project::HomeyDriver& driver : store.app()->drivers)
                    if (driver.id == id) return QString::fromStdString(driver.imageFileName(size));
    const auto name = homey_project::fileName(size);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// One driver image in a square, whatever its pixels, framed by a one-pixel
// border: the thumbnail side, or less when the column cannot hold three.
class Thumbnail final : public QWidget {
public:
    Thumbnail(QImage image, const QString& name, QWidget* parent) : QWidget(parent), image_(std::move(image)) {
        const int side = static_cast<int>(PreviewMetrics::thumbnailSide);
        setMinimumSize(side / 2, side / 2);
        setMaximumSize(side, side);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        setAccessibleName(inspectorText("Image %1").arg(name));
    }

    QSize sizeHint() const override {
        const int side = static_cast<int>(PreviewMetrics::thumbnailSide);
        return {side, side};
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const int side = std::min(width(), height());
        const QRectF square((width() - side) / 2.0, (height() - side) / 2.0, side, side);
        painter.drawImage(square, image_);
        painter.setPen(QPen(Palette::border(), 1));
        painter.drawRect(square.adjusted(0.5, 0.5, -0.5, -0.5));
    }

private:
    QImage image_;
};

// The three rendered driver images and the warnings found on them.
class DriverImagesContent final : public QWidget {
public:
    DriverImagesContent(const ProjectStore& store, DriverEditor& editor) : store_(store), editor_(editor) {
        layout_ = new QVBoxLayout(this);
        layout_->setContentsMargins(0, 0, 0, 0);
        connect(&editor_, &DriverEditor::driverImagesChanged, this, &DriverImagesContent::rebuild);
        connect(&editor_, &DriverEditor::imageWarningsChanged, this, &DriverImagesContent::rebuild);
        rebuild();
    }

private:
    void rebuild() {
        for (QWidget* child : children_) {
            layout_->removeWidget(child);
            delete child;
        }
        children_.clear();
        const auto& images = editor_.driverImages();
        if (images.empty()) {
            add(noteLabel(
                inspectorText("Ajoutez une photo de face : l’objet détouré, posé sur blanc, donne les trois images."),
                this));
            return;
        }
        auto* row = new QWidget(this);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(static_cast<int>(Spacing::small));
        for (DriverImageSize size : homey_project::allDriverImageSizes) {
            const auto found = images.find(size);
            if (found == images.end()) continue;
            QImage image;
            // Data that does not decode takes no place in the row.
            if (!image.loadFromData(found->second) || image.isNull()) continue;
            auto* item = new QWidget(row);
            auto* itemLayout = new QVBoxLayout(item);
            itemLayout->setContentsMargins(0, 0, 0, 0);
            const QString name = fileNameText(store_, editor_, size);
            itemLayout->addWidget(new Thumbnail(std::move(image), name, item), 0, Qt::AlignHCenter);
            QLabel* caption = plainLabel(name, item);
            caption->setFont(roleFont(caption->font(), TextRole::caption));
            itemLayout->addWidget(caption, 0, Qt::AlignHCenter);
            rowLayout->addWidget(item, 0, Qt::AlignVCenter);
        }
        rowLayout->addStretch(1);
        add(row);
        const int side = static_cast<int>(Spacing::medium);
        for (const auto& issue : editor_.imageWarnings()) {
            auto* line = new QWidget(this);
            auto* lineLayout = new QHBoxLayout(line);
            lineLayout->setContentsMargins(0, 0, 0, 0);
            auto* symbol = new QLabel(line);
            symbol->setPixmap(symbolPixmap(QStringLiteral("exclamationmark.triangle"), Palette::warning(), side,
                                           devicePixelRatioF()));
            symbol->setFixedSize(side, side);
            QLabel* text = noteLabel(driverImageIssueText(issue), line);
            setTextColour(*text, Palette::warning());
            line->setAccessibleName(text->text());
            lineLayout->addWidget(symbol, 0, Qt::AlignTop);
            lineLayout->addWidget(text, 1);
            add(line);
        }
    }

    void add(QWidget* child) {
        layout_->addWidget(child);
        children_.push_back(child);
    }

    const ProjectStore& store_;
    DriverEditor& editor_;
    QVBoxLayout* layout_ = nullptr;
    std::vector<QWidget*> children_;
};

}  // namespace

QWidget* makeDriverImagesSection(ProjectStore& store, DriverEditor& editor) {
    return new DriverImagesContent(store, editor);
}

}  // namespace glyphsmith_views
