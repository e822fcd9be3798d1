#pragma once

// The inspector's "Photos" section: the photo pickers, the loaded photos and
// their roles, the depth read on the profile, and the face tools with the
// detection and its review.

#include <QList>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QVBoxLayout;

namespace glyphsmith_views {

// Asks the user for image files: several at once, or one. The chosen files, none
// when cancelled. The section asks through the store's file panels unless a
// test hands in its own.
using PhotoPicker = std::function<QList<QUrl>(bool several)>;

class PhotosSection : public QWidget {
    Q_OBJECT
public:
    PhotosSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor,
                  PhotoPicker picker = {}, QWidget* parent = nullptr);

    QAbstractButton* severalPhotosButton() const { return several_; }
    QAbstractButton* facePhotoButton() const { return face_; }
    QAbstractButton* profilePhotoButton() const { return profile_; }
    QLabel* dropHint() const { return hint_; }
    // One role picker per loaded photo while two or more are loaded.
    const QList<QComboBox*>& rolePickers() const { return rolePickers_; }
    QLabel* depthLine() const { return depth_; }
    QWidget* faceTools() const { return faceTools_; }
    QCheckBox* keepAspectToggle() const { return keepAspect_; }
    QAbstractButton* cornersButton() const { return corners_; }
    QAbstractButton* fitButton() const { return fit_; }
    QAbstractButton* detectButton() const { return detect_; }
    QWidget* review() const { return review_; }
    QLabel* reviewCount() const { return count_; }
    QAbstractButton* keepAllButton() const { return keepAll_; }
    QAbstractButton* removeAllButton() const { return removeAll_; }
    QAbstractButton* addKeptButton() const { return addKept_; }
    QAbstractButton* abandonButton() const { return abandon_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildPhotoRows();
    void refresh();
    void refreshDepth();

    glyphsmith_state::DriverEditor& editor_;
    PhotoPicker picker_;
    QAbstractButton* several_ = nullptr;
    QAbstractButton* face_ = nullptr;
    QAbstractButton* profile_ = nullptr;
    QLabel* hint_ = nullptr;
    QWidget* photoRows_ = nullptr;
    QVBoxLayout* photoRowsLayout_ = nullptr;
    QList<QComboBox*> rolePickers_;
    QLabel* depth_ = nullptr;
    QWidget* faceTools_ = nullptr;
    QCheckBox* keepAspect_ = nullptr;
    QAbstractButton* corners_ = nullptr;
    QAbstractButton* fit_ = nullptr;
    QAbstractButton* detect_ = nullptr;
    QWidget* review_ = nullptr;
    QLabel* count_ = nullptr;
    QAbstractButton* keepAll_ = nullptr;
    QAbstractButton* removeAll_ = nullptr;
    QAbstractButton* addKept_ = nullptr;
    QAbstractButton* abandon_ = nullptr;
};

}  // namespace glyphsmith_views
