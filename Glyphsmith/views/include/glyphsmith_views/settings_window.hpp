#pragma once

// The "Réglages" window: the switch of the update check at launch and the
// sentence that says what that check does. It only reads and writes the
// checker's `checksAtLaunch`; it never starts a check.

#include <QDialog>

#include "glyphsmith_state/update_checker.hpp"

class QCheckBox;
class QLabel;

namespace glyphsmith_views {

// "Une fois par jour au plus. L’app lit un fichier de version sur <host>, sans
// rien envoyer, et ne télécharge rien d’elle-même." A build without an update
// site says that the app looks for no update.
QString launchCheckSentence(const QString& updateSiteHost);

class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    SettingsWindow(glyphsmith_state::UpdateChecker& checker, QWidget* parent = nullptr);

    QCheckBox* launchCheck() const { return launchCheck_; }
    QLabel* sentence() const { return sentence_; }

private:
    void refresh();

    glyphsmith_state::UpdateChecker& checker_;
    QCheckBox* launchCheck_ = nullptr;
    QLabel* sentence_ = nullptr;
};

}  // namespace glyphsmith_views
