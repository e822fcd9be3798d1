#pragma once

// The two contents of the sidebar column, one file each, and the look of a
// driver's row.

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "homey_project/driver_assets_state.hpp"

class QAbstractButton;
class QListWidget;
class QVBoxLayout;

namespace glyphsmith_views {

class GlyphsmithApp;

// ----- A driver's row -----

// The colour of a driver's state mark.
enum class DriverMark { neutral, passed, failed, warning };

struct DriverRowLook {
    DriverMark mark = DriverMark::neutral;
    // The line under the name: the state of the icon and the count of valid images.
    QString line;
    friend bool operator==(const DriverRowLook&, const DriverRowLook&) = default;
};

// The mark and the state line of a driver from its asset state; without one,
// the neutral mark and the driver's id.
DriverRowLook driverRowLook(const std::string& id, const std::optional<homey_project::DriverAssetsState>& state);
QColor driverMarkColor(DriverMark mark);

// ----- Without a project -----

// The free-standing icon's note, opening a Homey app and the recent projects.
class ProjectSidebar : public QWidget {
    Q_OBJECT
public:
    explicit ProjectSidebar(GlyphsmithApp& app, QWidget* parent = nullptr);

    QAbstractButton* openButton() const { return openButton_; }
    // One button per recent project, most recent first.
    const QList<QAbstractButton*>& recentButtons() const { return recentButtons_; }

private:
    void refreshRecents();
    // Opens the folder, or asks first when drivers have unwritten changes.
    void reopen(const QString& folder);

    GlyphsmithApp& app_;
    QAbstractButton* openButton_ = nullptr;
    QVBoxLayout* recentsLayout_ = nullptr;
    QList<QAbstractButton*> recentButtons_;
};

// ----- With a project -----

// The open project's drivers, in the project's order, each with its state mark
// and line; the selection is the store's selected driver, both ways.
class DriverListView : public QWidget {
    Q_OBJECT
public:
    // The item data the rows are drawn from.
    enum Role { idRole = Qt::UserRole + 1, lineRole, markRole };

    explicit DriverListView(GlyphsmithApp& app, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }

private:
    void rebuildRows();
    void refreshStates();
    void refreshSelection();
    void selectionMoved();

    GlyphsmithApp& app_;
    QListWidget* list_ = nullptr;
    // The state each row was last drawn from, row by row; none before the first.
    std::vector<std::optional<std::optional<homey_project::DriverAssetsState>>> shownStates_;
};

// The sidebar column's two contents.
QWidget* makeProjectSidebar(GlyphsmithApp& app, QWidget* parent);
QWidget* makeDriverList(GlyphsmithApp& app, QWidget* parent);

}  // namespace glyphsmith_views
