#pragma once

// The About window: the app's icon, name, author line with the maker's site,
// version and build, and the support and privacy pages. The menus keep one of
// it, however often the command runs.

#include <QDialog>
#include <QList>
#include <QUrl>
#include <optional>

#include "glyphsmith_views/web_address.hpp"

class QAbstractButton;
class QLabel;

namespace glyphsmith_views {

// What the window shows, read when it is built.
struct AboutFacts {
    QString name;
    QString version;
    QString build;
    // The maker's site; none leaves the author line alone.
    std::optional<QUrl> site;
    // The product page's address text; "/support.html" and "/privacy.html" follow it.
    QString productPage;
    int year = 0;

    // This program: AppInfo, AppLinks and the current year of the user's calendar.
    static AboutFacts current();
};

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(AboutFacts facts, QWidget* parent = nullptr, PageOpener opener = openWebAddress);

    QLabel* versionLine() const { return versionLine_; }
    // The links shown, in order: the site, "Support", "Confidentialité".
    const QList<QAbstractButton*>& links() const { return links_; }

private:
    QAbstractButton* addLink(const QString& label, const QUrl& url, QWidget* parent);

    PageOpener opener_;
    QLabel* versionLine_ = nullptr;
    QList<QAbstractButton*> links_;
};

}  // namespace glyphsmith_views
