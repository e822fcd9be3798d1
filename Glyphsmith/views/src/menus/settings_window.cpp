#include "glyphsmith_views/settings_window.hpp"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "glyphsmith_state/update_site.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

using glyphsmith_state::UpdateChecker;

QString launchCheckSentence(const QString& updateSiteHost) {
    if (updateSiteHost.isEmpty())
        return SettingsWindow::tr(
            "Cette version de l’app ne connaît aucun site de mise à jour : elle ne recherche "
            "rien, ni au lancement ni sur demande.");
    return SettingsWindow::tr(
               "Une fois par jour au plus. L’app lit un fichier de version sur %1, sans rien envoyer, "
               "et ne télécharge rien d’elle-même.")
        .arg(updateSiteHost);
}

SettingsWindow::SettingsWindow(UpdateChecker& checker, QWidget* parent) : QDialog(parent), checker_(checker) {
    setWindowTitle(tr("Réglages"));
    setObjectName(QStringLiteral("settingsWindow"));
    setFixedWidth(WindowMetrics::sheetWidth);

    // One group of the form, as a framed box.
    auto* group = new QFrame(this);
    group->setFrameShape(QFrame::StyledPanel);
    launchCheck_ = new QCheckBox(tr("Rechercher une mise à jour au lancement"), group);
    launchCheck_->setAccessibleName(launchCheck_->text());
    sentence_ = plainLabel(launchCheckSentence(glyphsmith_state::updateSiteHost()), group);
    sentence_->setWordWrap(true);
    sentence_->setFont(roleFont(sentence_->font(), TextRole::caption));
    setTextColour(*sentence_, Palette::neutral());
    launchCheck_->setAccessibleDescription(sentence_->text());

    auto* rows = new QVBoxLayout(group);
    const int medium = static_cast<int>(Spacing::medium);
    const int large = static_cast<int>(Spacing::large);
    rows->setContentsMargins(medium, medium, medium, medium);
    rows->setSpacing(static_cast<int>(Spacing::small));
    rows->addWidget(launchCheck_);
    rows->addWidget(sentence_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(large, large, large, large);
    layout->addWidget(group);

    connect(launchCheck_, &QCheckBox::toggled, this, [this](bool checked) { checker_.setChecksAtLaunch(checked); });
    connect(&checker_, &UpdateChecker::checksAtLaunchChanged, this, &SettingsWindow::refresh);
    refresh();
    // As tall as its content at its width: the sentence wraps.
    setFixedHeight(layout->hasHeightForWidth() ? layout->heightForWidth(width()) : sizeHint().height());
}

void SettingsWindow::refresh() {
    const QSignalBlocker quiet(launchCheck_);
    launchCheck_->setChecked(checker_.checksAtLaunch());
}

}  // namespace glyphsmith_views
