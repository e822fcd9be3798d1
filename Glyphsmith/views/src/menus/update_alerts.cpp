#include "glyphsmith_views/update_alerts.hpp"

#include <QPushButton>
#include <QTimer>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"

namespace glyphsmith_views {

using glyphsmith_state::RemoteVersion;
using glyphsmith_state::UpdateChecker;

namespace {

// Notes longer than this, in characters or lines, would push the alert's
// buttons off the screen: the alert shows their beginning, and all of them
// under its details.
constexpr qsizetype shownNotesLength = 1200;
constexpr qsizetype shownNotesLines = 16;

QString notesBeginning(const QString& notes) {
    QString shown = notes.left(shownNotesLength);
    qsizetype lineBreaks = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == u'\n' && ++lineBreaks == shownNotesLines) {
            shown.truncate(i);
            break;
        }
    }
    return shown.size() < notes.size() ? shown + u'\u2026' : notes;
}

}  // namespace

QString newVersionMessage(const RemoteVersion& version, const QString& installedVersion, const QString& languageCode) {
    QString message = UpdateAlerts::tr("Version %1 (build %2). Vous avez la version %3.")
                          .arg(version.version, version.build, installedVersion);
    if (const std::optional<QString> notes = version.notesForLanguage(languageCode))
        message += QStringLiteral("\n\n") + notesBeginning(*notes);
    return message;
}

UpdateAlerts::UpdateAlerts(UpdateChecker& checker, QWidget* window, BundleInfo bundle, PageOpener opener)
    : QObject(window), checker_(checker), window_(window), bundle_(std::move(bundle)), opener_(std::move(opener)) {
    for (auto signal :
         {&UpdateChecker::availableChanged, &UpdateChecker::isUpToDateChanged, &UpdateChecker::errorChanged})
        connect(&checker_, signal, this, &UpdateAlerts::refresh);
    refresh();
}

void UpdateAlerts::refresh() {
    if (alert_) {
        // A field cleared elsewhere closes its alert.
        const bool stillWanted = (shown_ == Shown::available && checker_.available()) ||
                                 (shown_ == Shown::upToDate && checker_.isUpToDate()) ||
                                 (shown_ == Shown::error && checker_.error());
        if (!stillWanted) alert_->done(QDialog::Rejected);
        return;
    }
    if (const auto& version = checker_.available()) {
        // The notes come from a remote file: plain text, never markup.
        QMessageBox* box = plainMessageBox(
            window_, tr("Une nouvelle version est disponible"),
            newVersionMessage(*version, AppInfo::version(bundle_), AppInfo::interfaceLanguage(bundle_)));
        box->setIcon(QMessageBox::Information);
        const std::optional<QString> notes = version->notesForLanguage(AppInfo::interfaceLanguage(bundle_));
        if (notes && notesBeginning(*notes) != *notes) box->setDetailedText(*notes);
        QPushButton* download = box->addButton(tr("Ouvrir la page de téléchargement"), QMessageBox::AcceptRole);
        QPushButton* later = box->addButton(tr("Plus tard"), QMessageBox::RejectRole);
        box->setDefaultButton(download);
        box->setEscapeButton(later);
        const QUrl page = version->url;
        connect(box, &QDialog::finished, this, [this, box, download, page] {
            if (box->clickedButton() == download && opener_) opener_(page);
        });
        present(Shown::available, box);
    } else if (checker_.isUpToDate()) {
        QMessageBox* box =
            plainMessageBox(window_, tr("%1 est à jour").arg(AppInfo::name(bundle_)),
                            tr("Version %1 (build %2).").arg(AppInfo::version(bundle_), AppInfo::build(bundle_)));
        box->setIcon(QMessageBox::Information);
        box->setEscapeButton(box->addButton(tr("OK"), QMessageBox::AcceptRole));
        present(Shown::upToDate, box);
    } else if (const auto& error = checker_.error()) {
        QMessageBox* box = plainMessageBox(window_, tr("Recherche de mise à jour"), error->message());
        box->setIcon(QMessageBox::Warning);
        box->setEscapeButton(box->addButton(tr("OK"), QMessageBox::AcceptRole));
        present(Shown::error, box);
    }
}

void UpdateAlerts::present(Shown kind, QMessageBox* box) {
    widenAlertMessage(*box, WindowMetrics::sheetWidth - 160);
    shown_ = kind;
    alert_ = box;
    connect(box, &QDialog::finished, this, [this, kind] { dismissed(kind); });
    box->open();
}

void UpdateAlerts::dismissed(Shown kind) {
    shown_ = Shown::none;
    alert_ = nullptr;
    // Whatever closed the alert clears its field; reopening needs a new check.
    switch (kind) {
        case Shown::available:
            checker_.setAvailable(std::nullopt);
            break;
        case Shown::upToDate:
            checker_.setIsUpToDate(false);
            break;
        case Shown::error:
            checker_.setError(std::nullopt);
            break;
        case Shown::none:
            break;
    }
    // The next alert waits until this one has gone.
    QTimer::singleShot(0, this, &UpdateAlerts::refresh);
}

}  // namespace glyphsmith_views
