#pragma once

// The platform's modal open and save panels, behind a seam: the views hand in
// the toolkit's dialogs, tests a script. A panel closed without confirming gives
// nothing.

#include <QString>
#include <QStringList>
#include <optional>

namespace glyphsmith_state {

struct OpenPanelRequest {
    bool canChooseFolders = false;
    bool canChooseFiles = true;
    bool allowsMultipleSelection = false;
    bool canCreateFolders = false;
    // File name suffixes the panel offers, without the dot; empty allows any.
    QStringList allowedSuffixes;
    QString message;
    // The confirming button's title; empty keeps the platform's.
    QString prompt;
    friend bool operator==(const OpenPanelRequest&, const OpenPanelRequest&) = default;
};

struct SavePanelRequest {
    QStringList allowedSuffixes;
    QString proposedName;
    QString message;
    QString prompt;
    friend bool operator==(const SavePanelRequest&, const SavePanelRequest&) = default;
};

class FilePanels {
public:
    virtual ~FilePanels() = default;
    // The chosen paths, absolute, in the order chosen: one at most unless the
    // request allows several; none when the panel was cancelled. A modal panel
    // runs a nested event loop: background results may land meanwhile.
    virtual QStringList open(const OpenPanelRequest& request) = 0;
    // The chosen path, absolute; nothing when the panel was cancelled.
    virtual std::optional<QString> save(const SavePanelRequest& request) = 0;
};

}  // namespace glyphsmith_state
