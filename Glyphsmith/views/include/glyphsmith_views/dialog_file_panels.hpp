#pragma once

// The store's open and save panels as Qt file dialogs, modal over the main window.

#include <QPointer>
#include <QWidget>

#include "glyphsmith_state/file_panels.hpp"

namespace glyphsmith_views {

class DialogFilePanels final : public glyphsmith_state::FilePanels {
public:
    // The window the dialogs open over when no window of the app is active;
    // none gives free-standing dialogs.
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    QStringList open(const glyphsmith_state::OpenPanelRequest& request) override;
    std::optional<QString> save(const glyphsmith_state::SavePanelRequest& request) override;

private:
    QWidget* parentNow() const;
    QPointer<QWidget> parent_;
};

}  // namespace glyphsmith_views
