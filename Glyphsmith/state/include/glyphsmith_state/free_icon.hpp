#pragma once

// The model of the free-standing icon, the one edited without a project, kept as
// "icone-libre.json" in the app's data folder.

#include <QString>
#include <optional>

#include "icon_geometry/icon_model.hpp"

namespace glyphsmith_state {

// The model the free editor starts from when no stored one loads: an 86 × 86 mm
// rounded rectangle (radius 6), 18.92 mm deep, without a camera of its own.
icon_geometry::IconModel freeIconStartingModel();

class FreeIconStoring {
public:
    virtual ~FreeIconStoring() = default;
    // The stored model; nothing when there is none or it cannot be read.
    virtual std::optional<icon_geometry::IconModel> load() = 0;
    // Failures are silent.
    virtual void save(const icon_geometry::IconModel& model) = 0;
};

class ApplicationSupportFreeIcon final : public FreeIconStoring {
public:
    explicit ApplicationSupportFreeIcon(QString filePath = standardFilePath());

    // "icone-libre.json" in the app's data folder, else in the temporary
    // folder's "Glyphsmith".
    static QString standardFilePath();
    const QString& filePath() const { return filePath_; }

    // Reads the file through the guarded model input. A file that exists but is
    // refused (unreadable, too deep, out of bounds, newer, truncated) is kept: it
    // may be the user's only copy of a newer app's icon.
    std::optional<icon_geometry::IconModel> load() override;
    // Writes the model pretty-printed with sorted keys, atomically, creating the
    // folder. A model that would not read back is never written. After a refused
    // file, saving the starting model leaves that file alone, and the first other
    // model moves it to "icone-libre.json.bak" before replacing it.
    void save(const icon_geometry::IconModel& model) override;

private:
    QString filePath_;
    bool keepsRefusedFile_ = false;
};

}  // namespace glyphsmith_state
