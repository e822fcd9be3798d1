#pragma once

// The inspector, the main window's right-hand column: one grouped form of
// sections, top to bottom, all editing the store's current editor. The panel
// builds each section's content anew for each current editor and hides a
// section while its condition does not hold for the editor's model.

#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"

class QVBoxLayout;

namespace glyphsmith_views {

class GlyphsmithApp;

struct InspectorSection {
    // The group's header; empty when the content brings its own.
    QString title;
    // The content for one editor; it may keep references to both for its life.
    std::function<QWidget*(glyphsmith_state::ProjectStore&, glyphsmith_state::DriverEditor&)> make;
    // Shown only while this holds for the editor; absent: always.
    std::function<bool(const glyphsmith_state::DriverEditor&)> shownFor;
};

// The inspector's sections in their order (src/editing/editing_sections.cpp).
std::vector<InspectorSection> inspectorSections();

class InspectorPanel : public QScrollArea {
    Q_OBJECT
public:
    InspectorPanel(GlyphsmithApp& app, std::vector<InspectorSection> sections, QWidget* parent = nullptr);

    // The section groups of the current editor, in order, hidden ones included.
    const std::vector<QWidget*>& sectionWidgets() const { return groups_; }
    // The editor's "Erreur" alert while it is on screen.
    QMessageBox* errorAlert() const { return errorAlert_; }
    // Tab moves through the controls in reading order again once control
    // returns to the event loop (after rows were made again).
    void scheduleReadingOrder();

private:
    // The sections anew for the editor; what follows it is connected on `context`.
    void rebuild(glyphsmith_state::DriverEditor& editor, QObject& context);
    void refreshVisibility();
    // Presents the editor's error, and clears it when the alert goes.
    void refreshErrorAlert();

    GlyphsmithApp& app_;
    std::vector<InspectorSection> sections_;
    std::vector<QWidget*> groups_;
    QPointer<QMessageBox> errorAlert_;
    QTimer readingOrderTimer_;
    std::vector<QPointer<QWidget>> focusOrder_;
};

}  // namespace glyphsmith_views
