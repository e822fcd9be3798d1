#pragma once

// The questions the store's panel commands put to the user, with their words.
// Each gives the chosen path, or nothing when the panel was cancelled or there
// are no panels.

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>
#include <string>

#include "glyphsmith_state/file_panels.hpp"

namespace glyphsmith_state {

class PanelQuestions {
public:
    explicit PanelQuestions(FilePanels* panels) : panels_(panels) {}

    std::optional<QString> homeyAppFolder() const;
    // The icon's file, named after the driver (else "icone").
    std::optional<QString> svgDestination(const std::optional<std::string>& driverID) const;
    std::optional<QString> imagesFolder() const;
    std::optional<QString> modelDestination(const std::optional<std::string>& driverID) const;
    std::optional<QString> modelToOpen() const;
    // Image files: several at once, or one; none when cancelled.
    QList<QUrl> photoFiles(bool several) const;

private:
    FilePanels* panels_;
};

}  // namespace glyphsmith_state
