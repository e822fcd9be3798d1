#include "glyphsmith_views/app_delegate.hpp"

#include <QMessageBox>
#include <QPushButton>

#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/plain_text.hpp"

namespace glyphsmith_views {

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {}

void AppDelegate::receive(const QList<QUrl>& urls) {
    const QList<QUrl> images = acceptedImageFiles(urls);
    if (images.isEmpty()) return;
    if (handler)
        handler(images);
    else
        pending << images;
    if (showMainWindow) showMainWindow();
}

bool AppDelegate::shouldTerminate() {
    const QStringList names = unsavedChanges ? unsavedChanges() : QStringList();
    if (names.isEmpty()) return true;
    return confirmQuit ? confirmQuit(names) : askToQuit(nullptr, names);
}

void AppDelegate::applicationWillTerminate() {
    if (willTerminate) willTerminate();
}

bool AppDelegate::askToQuit(QWidget* parent, const QStringList& names) {
    QMessageBox* box =
        plainMessageBox(parent, tr("Quitter sans écrire les modifications ?"), unwrittenChangesMessage(names));
    box->setIcon(QMessageBox::Warning);
    QPushButton* cancel = box->addButton(tr("Annuler"), QMessageBox::RejectRole);
    QPushButton* quit = box->addButton(tr("Quitter sans écrire"), QMessageBox::DestructiveRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->exec();
    // The box deletes itself later, once closed.
    return box->clickedButton() == quit;
}

void connectDelegate(AppDelegate& delegate, GlyphsmithApp& app) {
    delegate.handler = [&app](const QList<QUrl>& urls) { app.session().openImages(urls); };
    if (!delegate.pending.isEmpty()) {
        const QList<QUrl> queued = std::exchange(delegate.pending, {});
        delegate.handler(queued);
    }
    delegate.unsavedChanges = [&app] { return app.store().unwrittenDriverNames(); };
    delegate.willTerminate = [&app] { app.session().saveFreeIconNow(); };
}

}  // namespace glyphsmith_views
