#pragma once

// Addresses the app hands to the user's browser: only web pages, never a file,
// a script or another program's scheme.

#include <QUrl>
#include <functional>

namespace glyphsmith_views {

// An http or https address with a host.
bool isWebAddress(const QUrl& url);

// Opens the page in the user's browser (QDesktopServices); false, opening
// nothing, for anything but a web address.
bool openWebAddress(const QUrl& url);

// What a view calls to open a page; tests hand in a recorder.
using PageOpener = std::function<bool(const QUrl&)>;

}  // namespace glyphsmith_views
