#pragma once

// The one-line verdict under the preview: whether the icon's SVG meets Homey's
// constraints (or how many errors and warnings it has), and, when the driver
// uses a camera of its own that differs from the brand's, a reminder of it.

#include <QWidget>

#include "icon_geometry/svg_validator.hpp"

class QLabel;

namespace glyphsmith_views {

class ValidationSummary : public QWidget {
    Q_OBJECT
public:
    explicit ValidationSummary(QWidget* parent = nullptr);

    void show(const icon_geometry::ValidationReport& report, bool deviates);

    // The verdict's text and colour, and the camera reminder (hidden when the
    // camera does not deviate).
    QLabel* verdict() const { return verdictText_; }
    QLabel* cameraReminder() const { return cameraText_; }

private:
    QLabel* verdictSymbol_;
    QLabel* verdictText_;
    QLabel* cameraSymbol_;
    QLabel* cameraText_;
};

}  // namespace glyphsmith_views
