#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cmath>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/photo_files.hpp"

using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;
using icon_geometry::Vector2;
using photo_analysis::FaceCorners;
using photo_analysis::SubjectMask;
using Role = LoadedPhoto::Role;

namespace {

// A mask of `canvas` × `canvas` pixels whose subject fills a box of w × h at the
// top left, or no subject at all when w or h is 0.
SubjectMask boxMask(int w, int h, int canvas = 40) {
    SubjectMask mask{canvas, canvas, std::vector<std::uint8_t>(static_cast<std::size_t>(canvas * canvas), 0)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) mask.coverage[static_cast<std::size_t>(y * canvas + x)] = 255;
    return mask;
}

LoadedPhoto photoWith(SubjectMask mask, std::optional<double> coverage = std::nullopt) {
    LoadedPhoto photo;
    photo.id = QUuid::createUuid();
    photo.mask = std::make_shared<const SubjectMask>(std::move(mask));
    photo.faceCoverage = coverage;
    return photo;
}

std::vector<Role> roles(const std::vector<LoadedPhoto>& photos) {
    std::vector<Role> result;
    for (const LoadedPhoto& photo : photos) result.push_back(photo.role);
    return result;
}

TEST(PhotoRoles, FaceAndProfileFollowTheShapeOfEachSubject) {
    struct Case {
        const char* name;
        std::vector<LoadedPhoto> photos;
        bool firstIsFace;
        double faceAspect;
        std::vector<Role> expected;
    };
    const std::vector<Case> cases{
        {"a single photo is the face, whatever its shape", {photoWith(boxMask(3, 30))}, false, 1.0, {Role::face}},
        {"aspect 0.3 is the profile and 1.2 the face at a face aspect of 1.0",
         {photoWith(boxMask(9, 30)), photoWith(boxMask(36, 30))},
         false,
         1.0,
         {Role::profile, Role::face}},
        {"at a face aspect of 2.0 a square subject is a profile candidate",
         {photoWith(boxMask(30, 10), 0.5), photoWith(boxMask(20, 20))},
         false,
         2.0,
         {Role::face, Role::profile}},
        {"the first is the face when asked, even narrow; the profile comes from the others",
         {photoWith(boxMask(6, 30)), photoWith(boxMask(30, 30)), photoWith(boxMask(12, 30))},
         true,
         1.0,
         {Role::face, Role::spare, Role::profile}},
        {"on equal scores the earlier photo is the face",
         {photoWith(boxMask(20, 20)), photoWith(boxMask(20, 20))},
         false,
         1.0,
         {Role::face, Role::spare}},
        {"a face quadrilateral outscores a subject filling its box",
         {photoWith(boxMask(20, 20)), photoWith(boxMask(20, 20), 0.1)},
         false,
         1.0,
         {Role::spare, Role::face}},
        {"a subject without a box counts as square and scores 0",
         {photoWith(boxMask(0, 0)), photoWith(boxMask(20, 20))},
         false,
         1.0,
         {Role::spare, Role::face}},
        {"the narrowest candidate is the profile, the earlier on equal aspects",
         {photoWith(boxMask(30, 30)), photoWith(boxMask(10, 30)), photoWith(boxMask(5, 30)), photoWith(boxMask(5, 30))},
         false,
         1.0,
         {Role::face, Role::spare, Role::profile, Role::spare}},
    };
    for (Case c : cases) {
        DriverEditor::assignPhotoRoles(c.photos, c.firstIsFace, c.faceAspect);
        EXPECT_EQ(roles(c.photos), c.expected) << c.name;
    }
}

TEST(PhotoRoles, AnEmptyBatchIsLeftAlone) {
    std::vector<LoadedPhoto> none;
    DriverEditor::assignPhotoRoles(none, false, 1.0);
    EXPECT_TRUE(none.empty());
}

TEST(PhotoRoles, TheFaceAspectIsThatOfTheModelsFaceOutline) {
    EXPECT_DOUBLE_EQ(DriverEditor(roundedRectangleModel(80, 40)).faceAspect(), 2.0);
    EXPECT_DOUBLE_EQ(DriverEditor(roundedRectangleModel(30, 60)).faceAspect(), 0.5);
}

TEST(FaceCoverage, IsTheQuadrilateralsAreaOverTheSubjects) {
    const photo_analysis::Photo photo(10, 10, std::vector<std::uint8_t>(400, 255));
    // Half the photo is subject: 50 px². A 5 × 4 quadrilateral covers 20 of them.
    SubjectMask half = boxMask(10, 5, 10);
    const FaceCorners rectangle{{1, 1}, {6, 1}, {6, 5}, {1, 5}};
    EXPECT_DOUBLE_EQ(*DriverEditor::faceCoverage(rectangle, photo, half), 0.4);
    // Corners given the other way round give the same area.
    const FaceCorners reversed{{1, 1}, {1, 5}, {6, 5}, {6, 1}};
    EXPECT_DOUBLE_EQ(*DriverEditor::faceCoverage(reversed, photo, half), 0.4);
    // A subject below one pixel divides by one.
    const SubjectMask empty = boxMask(0, 0, 10);
    EXPECT_DOUBLE_EQ(*DriverEditor::faceCoverage(rectangle, photo, empty), 20.0);
    EXPECT_FALSE(DriverEditor::faceCoverage(std::nullopt, photo, half));
}

TEST(PhotoFiles, ImagesAreAcceptedByTypeOrByExtension) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    struct Case {
        QString name;
        bool accepted;
    };
    const std::vector<Case> cases{
        {"photo.png", true}, {"photo.JPG", true},  {"photo.jpeg", true},  {"photo.heic", true},    {"photo.HEIF", true},
        {"photo.tif", true}, {"photo.tiff", true}, {"photo.webp", true},  {"photo.gif", true},     {"photo.bmp", true},
        {"photo.svg", true}, {"notes.txt", false}, {"model.json", false}, {"no-extension", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(acceptsPhotoFile(QUrl::fromLocalFile(folder.filePath(c.name))), c.accepted) << c.name.toStdString();
    // A folder takes its name's word: accepted here, it fails when it is read.
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.png"));
    EXPECT_TRUE(acceptsPhotoFile(QUrl::fromLocalFile(folder.filePath("folder.png"))));
    EXPECT_FALSE(acceptsPhotoFile(QUrl()));
}

}  // namespace
