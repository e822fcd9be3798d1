#pragma once

// The update check's three outcomes as alerts over the main window: a newer
// version, the app up to date, or a failed check. Each alert shows exactly while
// its field of the checker is set (one at a time, in that order) and any way of
// dismissing it clears that field. They never start a check.

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include "glyphsmith_state/update_checker.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/web_address.hpp"

namespace glyphsmith_views {

// "Version 2.1 (build 40). Vous avez la version 1.0." then, when the version has
// notes in `languageCode` or in French, a blank line and the notes: all of them
// when they are short, else their first 1200 characters or 16 lines and "…" (the
// alert then holds them whole under its details).
QString newVersionMessage(const glyphsmith_state::RemoteVersion& version, const QString& installedVersion,
                          const QString& languageCode);

class UpdateAlerts : public QObject {
    Q_OBJECT
public:
    // The alerts open over `window`; `bundle` gives the installed name, version
    // and build and the interface language.
    UpdateAlerts(glyphsmith_state::UpdateChecker& checker, QWidget* window, BundleInfo bundle = BundleInfo::main(),
                 PageOpener opener = openWebAddress);

    // The alert on screen; null when none is.
    QMessageBox* alert() const { return alert_; }

private:
    enum class Shown { none, available, upToDate, error };
    void refresh();
    void present(Shown kind, QMessageBox* box);
    void dismissed(Shown kind);

    glyphsmith_state::UpdateChecker& checker_;
    QPointer<QWidget> window_;
    BundleInfo bundle_;
    PageOpener opener_;
    QPointer<QMessageBox> alert_;
    Shown shown_ = Shown::none;
};

}  // namespace glyphsmith_views
