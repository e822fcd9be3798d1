#include "glyphsmith_views/editing_panel.hpp"

#include <QGroupBox>
#include <QMessageBox>
#include <QVBoxLayout>

#include "editing/focus_order.hpp"
#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/plain_text.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;

InspectorPanel::InspectorPanel(GlyphsmithApp& app, std::vector<InspectorSection> sections, QWidget* parent)
    : QScrollArea(parent), app_(app), sections_(std::move(sections)) {
    setAccessibleName(tr("Inspecteur"));
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    readingOrderTimer_.setSingleShot(true);
    readingOrderTimer_.setInterval(0);
    connect(&readingOrderTimer_, &QTimer::timeout, this, [this] { keepReadingOrder(widget(), focusOrder_); });
    glyphsmith_state::followCurrentEditor(app_.store(), this,
                                          [this](DriverEditor& editor, QObject& context) { rebuild(editor, context); });
}

void InspectorPanel::scheduleReadingOrder() {
    if (!readingOrderTimer_.isActive()) readingOrderTimer_.start();
}

void InspectorPanel::rebuild(DriverEditor& editor, QObject& context) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    const int spacing = static_cast<int>(Spacing::small);
    layout->setContentsMargins(spacing, spacing, spacing, spacing);
    layout->setSpacing(static_cast<int>(Spacing::medium));
    groups_.clear();
    for (const auto& section : sections_) {
        QWidget* inner = section.make ? section.make(app_.store(), editor) : new QWidget;
        QWidget* group = inner;
        if (!section.title.isEmpty()) {
            auto* box = new QGroupBox(section.title);
            box->setAccessibleName(section.title);
            auto* boxLayout = new QVBoxLayout(box);
            boxLayout->addWidget(inner);
            group = box;
        }
        layout->addWidget(group);
        groups_.push_back(group);
    }
    layout->addStretch(1);
    // The old content goes with its section widgets once control has left them:
    // the change may come from one of them.
    if (QWidget* old = takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    // At the latest the content goes with its editor: nothing of the store then
    // reaches sections bound to an editor that is gone.
    connect(&editor, &QObject::destroyed, content, [content] { delete content; });
    setWidget(content);
    connect(&editor, &DriverEditor::modelChanged, &context, [this] { refreshVisibility(); });
    refreshVisibility();
    connect(&editor, &DriverEditor::errorChanged, &context, [this] { refreshErrorAlert(); });
    scheduleReadingOrder();
    if (QMessageBox* old = errorAlert_) {
        errorAlert_ = nullptr;
        old->close();
    }
    refreshErrorAlert();
}

void InspectorPanel::refreshErrorAlert() {
    DriverEditor& editor = app_.store().currentEditor();
    const auto& error = editor.error();
    if (!error) {
        if (QMessageBox* shown = errorAlert_) {
            errorAlert_ = nullptr;
            shown->close();
        }
        return;
    }
    if (errorAlert_) {
        errorAlert_->setInformativeText(error->message());
        return;
    }
    errorAlert_ = plainMessageBox(this, tr("Erreur"), error->message());
    errorAlert_->setStandardButtons(QMessageBox::Ok);
    errorAlert_->setIcon(QMessageBox::Warning);
    // However the alert goes, the error it showed goes with it.
    const quint64 serial = editor.serial();
    connect(errorAlert_, &QDialog::finished, this, [this, serial] {
        DriverEditor& current = app_.store().currentEditor();
        if (current.serial() == serial) current.setError(std::nullopt);
    });
    errorAlert_->open();
}

void InspectorPanel::refreshVisibility() {
    const DriverEditor& editor = app_.store().currentEditor();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const bool shown = !sections_[i].shownFor || sections_[i].shownFor(editor);
        groups_[i]->setVisible(shown);
    }
}

}  // namespace glyphsmith_views
