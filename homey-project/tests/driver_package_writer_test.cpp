#include "homey_project/driver_package_writer.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "homey_project/source_layout.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"
#include "project_snapshot.hpp"
#include "temporary_project.hpp"
#include "writer/ignore_file.hpp"
#include "writer/package_writer.hpp"

namespace homey_project {
namespace {

using icon_geometry::Camera;
using testing::readAll;
using testing::snapshot;
using testing::TemporaryFolder;

constexpr std::string_view icon = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 960 960"/>)";

// A project with one driver "plug" (and "lamp"), opened as the reader gives it.
struct Project {
    TemporaryFolder folder;
    TemporaryFolder outside;  // a folder beside the project that must stay as it is
    HomeyApp app;
    HomeyDriver plug;

    Project() {
        folder.write("app.json", R"({"id":"com.example"})");
        folder.folder("drivers/plug");
        folder.folder("drivers/lamp");
        outside.write("keep.txt", "outside");
        reopen();
    }
    void reopen() {
        app = HomeyProjectReader::readProject(folder.path());
        plug = app.drivers[1];
    }
};

DriverPackage fullPackage() {
    DriverPackage package;
    package.iconSVG = std::string(icon);
    package.images[DriverImageSize::large] = "large bytes";
    package.model = icon_geometry::IconModel::withSingleBody({});
    package.sourcePhotos = {{"face.jpg", "photo bytes"}};
    package.faceCorners = {{1, 2}, {3.5, 4}};
    package.brandCamera = Camera{30, 2, 3};
    return package;
}

std::vector<std::string> paths(const std::vector<PlannedWrite>& plan) {
    std::vector<std::string> result;
    for (const PlannedWrite& p : plan) result.push_back(p.path);
    return result;
}

std::optional<HomeyProjectError> writeError(const std::function<void()>& write) {
    try {
        write();
    } catch (const HomeyProjectError& error) {
        return error;
    }
    return std::nullopt;
}

TEST(DriverPackageWriter, EntriesInOrderWithTheirConditions) {
    Project p;
    const std::vector<PlannedWrite> plan = HomeyProjectWriter().plan(fullPackage(), p.plug, p.app);
    EXPECT_EQ(paths(plan), (std::vector<std::string>{
                               "drivers/plug/assets/icon.svg", "drivers/plug/assets/images/large.png",
                               "sources/icones/plug/modele.json", "sources/icones/plug/face.jpg",
                               "sources/icones/plug/coins-face.json", "sources/icones/marque.json", ".homeyignore"}));
    for (const PlannedWrite& write : plan) EXPECT_FALSE(write.exists) << write.path;

    DriverPackage withoutPhotos = fullPackage();
    withoutPhotos.sourcePhotos.clear();
    withoutPhotos.brandCamera.reset();
    EXPECT_EQ(paths(HomeyProjectWriter().plan(withoutPhotos, p.plug, p.app)),
              (std::vector<std::string>{"drivers/plug/assets/icon.svg", "drivers/plug/assets/images/large.png",
                                        "sources/icones/plug/modele.json", ".homeyignore"}));

    DriverPackage photoWithoutCorners = fullPackage();
    photoWithoutCorners.faceCorners.clear();
    const auto entries = HomeyProjectWriter::entries(photoWithoutCorners, p.plug, p.app);
    EXPECT_EQ(entries[4].data, "[]");
    EXPECT_TRUE(entries.back().isAppend);
}

TEST(DriverPackageWriter, WrittenFilesReadBack) {
    Project p;
    const DriverPackage package = fullPackage();
    const std::vector<PlannedWrite> plan = HomeyProjectWriter().write(package, p.plug, p.app, false);
    EXPECT_EQ(plan.size(), 7u);
    EXPECT_EQ(readAll(p.folder / "drivers/plug/assets/icon.svg"), icon);
    EXPECT_EQ(readAll(p.folder / "drivers/plug/assets/images/large.png"), "large bytes");
    EXPECT_EQ(readAll(p.folder / ".homeyignore"), "sources/\n");
    EXPECT_EQ(HomeyProjectWriter().savedModel(p.plug, p.app), package.model);
    EXPECT_EQ(HomeyProjectWriter().brandCamera(p.app), package.brandCamera);
    const std::string corners = readAll(p.folder / "sources/icones/plug/coins-face.json");
    EXPECT_EQ(icon_geometry::ModelInput::decode<std::vector<icon_geometry::Vector2>>(corners), package.faceCorners);
    EXPECT_FALSE(std::filesystem::exists(p.folder / "drivers/plug/assets/images/small.png"));

    // Again with overwrite: the plan tells what existed before, the camera and
    // the ignore line are not planned again.
    const std::vector<PlannedWrite> again = HomeyProjectWriter().write(package, p.plug, p.app, true);
    EXPECT_EQ(again.size(), 5u);
    for (const PlannedWrite& write : again) EXPECT_TRUE(write.exists) << write.path;
    EXPECT_EQ(readAll(p.folder / ".homeyignore"), "sources/\n");
}

TEST(DriverPackageWriter, BrandCameraSkippedWhenTheStoredOneIsEqual) {
    Project p;
    const DriverPackage package = fullPackage();
    struct Case {
        const char* name;
        std::optional<std::string> stored;
        bool planned;
    };
    const std::string ownBytes = icon_geometry::json::write(icon_geometry::json::encode(*package.brandCamera));
    const std::vector<Case> cases{
        {"no file yet", std::nullopt, true},
        {"own bytes", ownBytes, false},
        {"same camera written by hand", R"({ "yawDegrees": 30.0, "elevationDegrees": 2, "distanceInDiagonals": 3e0 })",
         false},
        {"another camera", R"({"yawDegrees":31,"elevationDegrees":2,"distanceInDiagonals":3})", true},
        {"broken file", "{", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(p.folder / "sources/icones/marque.json");
        if (c.stored) p.folder.write("sources/icones/marque.json", *c.stored);
        const auto planned = paths(HomeyProjectWriter().plan(package, p.plug, p.app));
        EXPECT_EQ(std::count(planned.begin(), planned.end(), "sources/icones/marque.json"), c.planned ? 1 : 0);
    }
}

TEST(DriverPackageWriter, IgnoreLineForms) {
    struct Case {
        const char* name;
        std::optional<std::string> bytes;
        std::optional<std::string> entry;
    };
    const std::vector<Case> cases{
        {"absent", std::nullopt, "sources/\n"},
        {"empty", "", "sources/\n"},
        {"one line without final line feed", "node_modules", "\nsources/\n"},
        {"one line with line feed", "node_modules\n", "sources/\n"},
        {"/sources among blanks", "a\n\n \t/sources\t \n\nb", std::nullopt},
        {"sources", "sources", std::nullopt},
        {"/sources/ after CR LF", "x\r\n/sources/\r\n", std::nullopt},
        {"after a line separator", "x\xE2\x80\xA8sources/", std::nullopt},
        {"no-break spaces trimmed", "\xC2\xA0sources/\xE3\x80\x80", std::nullopt},
        {"wildcard behind", "sources/*\n", "sources/\n"},
        {"other case", "Sources/\n", "sources/\n"},
        {"Latin-1 without final line feed", "caf\xE9\nnode_modules", "\nsources/\n"},
        {"Latin-1 byte before the line", "\xE9sources/", "\nsources/\n"},
        {"ends with carriage return", "x\r", "\nsources/\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ignore_file::entryFor(c.bytes ? std::optional<std::string_view>(*c.bytes) : std::nullopt), c.entry);
    }
}

TEST(DriverPackageWriter, RelativePathsForEverySpellingOfTheRoot) {
    TemporaryFolder folder;
    const std::string root = (folder / "p").native();
    const std::filesystem::path target = folder / "p/drivers/plug/assets/icon.svg";
    for (const std::string& spelling : {root, root + "/", root + "//", root + "/.", root + "/drivers/.."})
        EXPECT_EQ(HomeyProjectWriter::relativePath(target, spelling), "drivers/plug/assets/icon.svg") << spelling;
    EXPECT_EQ(HomeyProjectWriter::relativePath(folder / "p/../q/x", root), (folder / "q/x").native());
    EXPECT_EQ(HomeyProjectWriter::relativePath(folder / "p", root), root);

    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder / ".");
    std::filesystem::create_directories(folder / "p/drivers");
    std::filesystem::current_path(folder / "p/drivers");
    EXPECT_EQ(HomeyProjectWriter::relativePath("plug/x", ".."), "drivers/plug/x");
    EXPECT_TRUE(HomeyProjectWriter::isInsideProject("plug/x", ".."));
    EXPECT_TRUE(HomeyProjectWriter::isInsideProject("../x", "../"));
    EXPECT_FALSE(HomeyProjectWriter::isInsideProject("../../x", ".."));
    std::filesystem::current_path(cwd);
}

TEST(DriverPackageWriter, ConfinementOnRealPaths) {
    TemporaryFolder folder;
    folder.folder("p/drivers/plug");
    folder.folder("elsewhere");
    folder.link("through", folder / "p");
    folder.link("p/drivers/out", folder / "elsewhere");
    folder.link("p/dangling", folder / "nowhere");
    folder.link("p/loop", folder / "p/loop");
    folder.link("p/inside", folder / "p/drivers");
    const std::filesystem::path root = folder / "p";
    struct Case {
        std::filesystem::path target;
        std::filesystem::path root;
        bool inside;
    };
    const std::vector<Case> cases{
        {root / "drivers/plug/assets/images/large.png", root, true},
        {folder / "through/sources/icones/x/modele.json", folder / "through", true},
        {root / "sources/icones/x/modele.json", folder / "through/", true},
        {folder / "through/drivers/plug", root, true},
        {root / "inside/plug/new", root, true},
        {root, root, false},
        {root / "drivers/../../q", root, false},
        {root / "drivers/out/new/file", root, false},
        {root / "dangling", root, false},
        {root / "dangling/below", root, false},
        {root / "loop/x", root, false},
        {folder / "p-sibling/x", root, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HomeyProjectWriter::isInsideProject(c.target, c.root), c.inside) << c.target << " in " << c.root;
}

TEST(DriverPackageWriter, RefusalsComeInOrderAndTouchNothing) {
    struct Case {
        const char* name;
        std::function<void(Project&)> arrange;
        std::function<void(DriverPackage&, HomeyDriver&)> change;
        bool overwrite;
        HomeyProjectError::Kind expected;
    };
    const auto nothing = [](Project&) {};
    const auto same = [](DriverPackage&, HomeyDriver&) {};
    const std::vector<Case> cases{
        {"unknown driver", nothing, [](DriverPackage&, HomeyDriver& d) { d.id = "ghost"; }, false,
         HomeyProjectError::Kind::unknownDriver},
        {"assets linked out", [](Project& p) { p.folder.link("drivers/plug/assets", p.outside.path()); }, same, true,
         HomeyProjectError::Kind::outsideProject},
        {"images folder linked out", [](Project& p) { p.folder.link("drivers/plug/assets/images", p.outside.path()); },
         same, true, HomeyProjectError::Kind::outsideProject},
        {"sources linked out", [](Project& p) { p.folder.link("sources", p.outside.path()); }, same, true,
         HomeyProjectError::Kind::outsideProject},
        {"image linked to a file outside",
         [](Project& p) { p.folder.link("drivers/plug/assets/images/large.png", p.outside / "keep.txt"); }, same, true,
         HomeyProjectError::Kind::outsideProject},
        {"dangling icon link",
         [](Project& p) { p.folder.link("drivers/plug/assets/icon.svg", p.outside / "missing.svg"); }, same, true,
         HomeyProjectError::Kind::outsideProject},
        {"photo name climbing out", nothing,
         [](DriverPackage& pkg, HomeyDriver&) { pkg.sourcePhotos[0].name = "../../../../x.jpg"; }, true,
         HomeyProjectError::Kind::outsideProject},
        {"photo name with a folder", nothing,
         [](DriverPackage& pkg, HomeyDriver&) { pkg.sourcePhotos[0].name = "sub/x.jpg"; }, true,
         HomeyProjectError::Kind::outsideProject},
        {"photo name dot-dot", nothing, [](DriverPackage& pkg, HomeyDriver&) { pkg.sourcePhotos[0].name = ".."; }, true,
         HomeyProjectError::Kind::outsideProject},
        {"empty photo name", nothing, [](DriverPackage& pkg, HomeyDriver&) { pkg.sourcePhotos[0].name = ""; }, true,
         HomeyProjectError::Kind::outsideProject},
        {"photo name too long for a folder to hold", nothing,
         [](DriverPackage& pkg, HomeyDriver&) { pkg.sourcePhotos[0].name = "photo-face." + std::string(250, 'j'); },
         true, HomeyProjectError::Kind::writeFailed},
        {"ignore file hard-linked outside",
         [](Project& p) { std::filesystem::create_hard_link(p.outside / "keep.txt", p.folder / ".homeyignore"); }, same,
         true, HomeyProjectError::Kind::outsideProject},
        {"ignore file is a pipe", [](Project& p) { p.folder.fifo(".homeyignore"); }, same, true,
         HomeyProjectError::Kind::writeFailed},
        {"ignore file is a link inside",
         [](Project& p) {
             p.folder.write("ignored", "x\n");
             p.folder.link(".homeyignore", p.folder / "ignored");
         },
         same, true, HomeyProjectError::Kind::writeFailed},
        {"existing icon", [](Project& p) { p.folder.write("drivers/plug/assets/icon.svg", "old"); }, same, false,
         HomeyProjectError::Kind::wouldOverwrite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        c.arrange(p);
        DriverPackage package = fullPackage();
        HomeyDriver driver = p.plug;
        c.change(package, driver);
        const auto before = snapshot(p.folder.path());
        const auto outsideBefore = snapshot(p.outside.path());
        const auto error = writeError([&] { (void)HomeyProjectWriter().write(package, driver, p.app, c.overwrite); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), c.expected);
        if (c.expected == HomeyProjectError::Kind::outsideProject) {
            EXPECT_EQ(error->path().front(), '/');
        }
        EXPECT_EQ(snapshot(p.folder.path()), before);
        EXPECT_EQ(snapshot(p.outside.path()), outsideBefore);
    }
}

TEST(DriverPackageWriter, WouldOverwriteListsExistingFilesInPlanOrder) {
    Project p;
    p.folder.write("sources/icones/plug/modele.json", R"({"version":2})");
    p.folder.write("drivers/plug/assets/icon.svg", "old");
    p.folder.write(".homeyignore", "node_modules\n");
    const auto before = snapshot(p.folder.path());
    const auto error = writeError([&] { (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, false); });
    ASSERT_TRUE(error);
    EXPECT_EQ(*error,
              HomeyProjectError::wouldOverwrite({"drivers/plug/assets/icon.svg", "sources/icones/plug/modele.json"}));
    EXPECT_EQ(snapshot(p.folder.path()), before);
}

TEST(DriverPackageWriter, NewerStoredModelStopsEvenAnOverwrite) {
    struct Case {
        const char* version;
        bool newer;
    };
    const std::vector<Case> cases{{"3", true},      {"3.0", true},  {"1e19", true},   {"18446744073709551616", true},
                                  {"\"3\"", false}, {"2.5", false}, {"-1e19", false}, {"2", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Project p;
        const std::string stored = std::string(R"({"version":)") + c.version + R"(,"parts":[]})";
        p.folder.write("sources/icones/plug/modele.json", stored);
        const auto error = writeError([&] { (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true); });
        const auto readError = writeError([&] { (void)HomeyProjectWriter().savedModel(p.plug, p.app); });
        if (c.newer) {
            EXPECT_EQ(error, HomeyProjectError::newerModel("sources/icones/plug/modele.json"));
            EXPECT_EQ(readError, HomeyProjectError::newerModel("sources/icones/plug/modele.json"));
            EXPECT_EQ(readAll(p.folder / "sources/icones/plug/modele.json"), stored);
            EXPECT_FALSE(std::filesystem::exists(p.folder / "drivers/plug/assets/icon.svg"));
        } else {
            EXPECT_FALSE(error);
            EXPECT_EQ(readError, std::nullopt);
        }
    }
}

TEST(DriverPackageWriter, StoredSourcesThatCannotBeRead) {
    Project p;
    EXPECT_EQ(HomeyProjectWriter().savedModel(p.plug, p.app), std::nullopt);
    EXPECT_EQ(HomeyProjectWriter().brandCamera(p.app), std::nullopt);
    p.folder.fifo("sources/icones/plug/modele.json");
    p.folder.write("sources/icones/marque.json", R"({"yawDegrees":30})");
    EXPECT_EQ(writeError([&] { (void)HomeyProjectWriter().savedModel(p.plug, p.app); }),
              HomeyProjectError::unreadableSource("sources/icones/plug/modele.json"));
    EXPECT_EQ(writeError([&] { (void)HomeyProjectWriter().brandCamera(p.app); }),
              HomeyProjectError::unreadableSource("sources/icones/marque.json"));
    std::filesystem::remove(p.folder / "sources/icones/marque.json");
    p.folder.link("sources/icones/marque.json", "/dev/zero");
    EXPECT_EQ(writeError([&] { (void)HomeyProjectWriter().brandCamera(p.app); }),
              HomeyProjectError::unreadableSource("sources/icones/marque.json"));
}

// Fails the staging of entry k (in plan order) or the k-th rename, or changes
// the disk just before an entry.
class Interference : public FileOperations {
public:
    std::size_t failAt = SIZE_MAX;
    std::size_t failRenameAt = SIZE_MAX;
    std::function<void(std::size_t)> before;

    void beforeEntry(std::size_t index, const std::filesystem::path&) override {
        current_ = index;
        if (before) before(index);
    }
    std::optional<std::string> stage(int folder, const std::string& name, std::string_view bytes,
                                     std::optional<mode_t> mode) override {
        if (current_ == failAt) return std::nullopt;
        return FileOperations::stage(folder, name, bytes, mode);
    }
    bool place(int folder, const std::string& temporary, const std::string& name, bool replace) override {
        if (renames_++ == failRenameAt) {
            errno = ENOSPC;
            return false;
        }
        return FileOperations::place(folder, temporary, name, replace);
    }
    Outcome appendToFile(int folder, const std::string& name, std::string_view bytes) override {
        if (current_ == failAt) return Outcome::failed;
        return FileOperations::appendToFile(folder, name, bytes);
    }

private:
    std::size_t current_ = SIZE_MAX;
    std::size_t renames_ = 0;
};

bool holdsTemporaryFile(const testing::Snapshot& tree) {
    for (const auto& [path, entry] : tree)
        if (path.find(".tmp-") != std::string::npos) return true;
    return false;
}

// A project holding old files where the full package goes, some still to make.
struct OldProject : Project {
    OldProject() {
        folder.write(".homeyignore", "node_modules");
        folder.write("drivers/plug/assets/icon.svg", "old icon");
        folder.write("sources/icones/plug/face.jpg", "old photo");
    }
};

TEST(DriverPackageWriter, FailureWhileStagingAnyEntryLeavesTheProjectAsItWas) {
    const std::size_t count = 7;
    for (std::size_t k = 0; k < count; ++k) {
        SCOPED_TRACE(k);
        OldProject p;
        const DriverPackage package = fullPackage();
        const auto planned = HomeyProjectWriter().plan(package, p.plug, p.app);
        ASSERT_EQ(planned.size(), count);
        const auto before = snapshot(p.folder.path());
        Interference interference;
        interference.failAt = k;
        const auto error = writeError([&] { (void)writePackage(interference, package, p.plug, p.app, true); });
        EXPECT_EQ(error, HomeyProjectError::writeFailed(planned[k].path));
        // The ignore line, appended first, is cut off again; the folders made
        // for the images and the sources are gone.
        EXPECT_EQ(snapshot(p.folder.path()), before);
    }
}

TEST(DriverPackageWriter, FailedRenameAfterOthersSaysWhatWasWrittenAndWhatNot) {
    // The staged files in the order they are renamed: the ignore line is an append.
    const std::vector<std::string> staged = {
        "drivers/plug/assets/icon.svg", "drivers/plug/assets/images/large.png", "sources/icones/plug/modele.json",
        "sources/icones/plug/face.jpg", "sources/icones/plug/coins-face.json",  "sources/icones/marque.json"};
    for (std::size_t k = 0; k < staged.size(); ++k) {
        SCOPED_TRACE(k);
        OldProject p;
        const auto before = snapshot(p.folder.path());
        Interference interference;
        interference.failRenameAt = k;
        const auto error = writeError([&] { (void)writePackage(interference, fullPackage(), p.plug, p.app, true); });
        if (k == 0) {
            // Nothing was replaced yet: the whole write is taken back.
            EXPECT_EQ(error, HomeyProjectError::writeFailed(staged[0]));
            EXPECT_EQ(snapshot(p.folder.path()), before);
            continue;
        }
        std::vector<std::string> written = {".homeyignore"};
        written.insert(written.end(), staged.begin(), staged.begin() + static_cast<std::ptrdiff_t>(k));
        const std::vector<std::string> notWritten(staged.begin() + static_cast<std::ptrdiff_t>(k), staged.end());
        EXPECT_EQ(error, HomeyProjectError::partlyWritten(staged[k], written, notWritten));
        EXPECT_EQ(readAll(p.folder / "drivers/plug/assets/icon.svg"), icon);
        EXPECT_EQ(readAll(p.folder / "sources/icones/plug/face.jpg"), k > 3 ? "photo bytes" : "old photo");
        EXPECT_FALSE(holdsTemporaryFile(snapshot(p.folder.path())));
    }
}

TEST(DriverPackageWriter, ACancelledWriteLeavesTheProjectAsItWas) {
    OldProject p;
    const auto before = snapshot(p.folder.path());
    // Asked before each of the seven entries and once before the renames.
    for (int answers = 0; answers < 8; ++answers) {
        SCOPED_TRACE(answers);
        int asked = 0;
        FileOperations operations;
        EXPECT_THROW(
            (void)writePackage(operations, fullPackage(), p.plug, p.app, true, [&] { return asked++ == answers; }),
            WriteCancelled);
        EXPECT_EQ(snapshot(p.folder.path()), before);
    }
    int asked = 0;
    (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true, [&] { return ++asked > 8; });
    EXPECT_EQ(readAll(p.folder / "sources/icones/plug/face.jpg"), "photo bytes");
}

TEST(DriverPackageWriter, AFolderWhereAnImageGoesReplacesNothing) {
    OldProject p;
    p.folder.folder("drivers/plug/assets/images/large.png");
    const auto before = snapshot(p.folder.path());
    const auto error = writeError([&] { (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true); });
    EXPECT_EQ(error, HomeyProjectError::writeFailed("drivers/plug/assets/images/large.png"));
    EXPECT_EQ(snapshot(p.folder.path()), before);
}

TEST(DriverPackageWriter, ADiskFullPartWayReplacesNothing) {
    OldProject p;
    DriverPackage package = fullPackage();
    package.images[DriverImageSize::large] = std::string(100000, 'p');
    const auto before = snapshot(p.folder.path());
    // In a child process, so that the file size limit binds nothing else.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{50000, 50000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            (void)HomeyProjectWriter().write(package, p.plug, p.app, true);
        } catch (const HomeyProjectError& error) {
            ::_exit(error == HomeyProjectError::writeFailed("drivers/plug/assets/images/large.png") ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(snapshot(p.folder.path()), before);
}

TEST(DriverPackageWriter, TemporaryFilesOfAKilledWriteAreRemovedByTheNext) {
    OldProject p;
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string left = ".icon.svg.tmp-" + std::to_string(ended) + "-0";
    p.folder.write("drivers/plug/assets/" + left, "half an icon");
    (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true);
    EXPECT_FALSE(std::filesystem::exists(p.folder / ("drivers/plug/assets/" + left)));
    EXPECT_FALSE(holdsTemporaryFile(snapshot(p.folder.path())));
}

TEST(DriverPackageWriter, DiskChangedAfterTheChecks) {
    {
        SCOPED_TRACE("assets swapped for a link out");
        Project p;
        const auto outsideBefore = snapshot(p.outside.path());
        Interference interference;
        interference.before = [&](std::size_t index) {
            if (index == 0) p.folder.link("drivers/plug/assets", p.outside.path());
        };
        const auto error = writeError([&] { (void)writePackage(interference, fullPackage(), p.plug, p.app, true); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), HomeyProjectError::Kind::outsideProject);
        EXPECT_EQ(snapshot(p.outside.path()), outsideBefore);
    }
    {
        SCOPED_TRACE("file created after the checks");
        Project p;
        Interference interference;
        interference.before = [&](std::size_t index) {
            if (index == 2) p.folder.write("sources/icones/plug/modele.json", "someone else's");
        };
        const auto error = writeError([&] { (void)writePackage(interference, fullPackage(), p.plug, p.app, false); });
        EXPECT_EQ(error, HomeyProjectError::wouldOverwrite({"sources/icones/plug/modele.json"}));
        EXPECT_EQ(readAll(p.folder / "sources/icones/plug/modele.json"), "someone else's");
        EXPECT_FALSE(holdsTemporaryFile(snapshot(p.folder.path())));
    }
    {
        SCOPED_TRACE("link standing at the name is replaced, not written through");
        Project p;
        p.folder.write("elsewhere-inside.svg", "kept");
        p.folder.link("drivers/plug/assets/icon.svg", p.folder / "elsewhere-inside.svg");
        (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true);
        EXPECT_EQ(readAll(p.folder / "elsewhere-inside.svg"), "kept");
        EXPECT_FALSE(std::filesystem::is_symlink(p.folder / "drivers/plug/assets/icon.svg"));
        EXPECT_EQ(readAll(p.folder / "drivers/plug/assets/icon.svg"), icon);
    }
}

TEST(DriverPackageWriter, ModesFollowTheUmask) {
    Project p;
    p.folder.write("drivers/plug/assets/icon.svg", "old");
    std::filesystem::permissions(p.folder / "drivers/plug/assets/icon.svg", std::filesystem::perms(0600));
    const mode_t previous = ::umask(022);
    (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true);
    ::umask(previous);
    for (const char* file : {"drivers/plug/assets/icon.svg", "drivers/plug/assets/images/large.png",
                             "sources/icones/plug/modele.json", ".homeyignore"}) {
        struct stat status {};
        ASSERT_EQ(::lstat((p.folder / file).c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 0777, 0644u) << file;
    }
}

TEST(DriverPackageWriter, ReadOnlyFolderReplacesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    Project p;
    p.folder.write("drivers/plug/assets/images/large.png", "old large");
    std::filesystem::permissions(p.folder / "drivers/plug/assets/images", std::filesystem::perms(0555));
    const auto before = snapshot(p.folder.path());
    const auto error = writeError([&] { (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, true); });
    EXPECT_EQ(error, HomeyProjectError::writeFailed("drivers/plug/assets/images/large.png"));
    EXPECT_EQ(snapshot(p.folder.path()), before);
}

}  // namespace
}  // namespace homey_project

namespace homey_project {
namespace {

TEST(DriverPackageWriter, IgnoreFileInAnotherEncodingIsAppendedAsBytes) {
    Project p;
    p.folder.write(".homeyignore", "caf\xE9\nnode_modules");
    (void)HomeyProjectWriter().write(fullPackage(), p.plug, p.app, false);
    EXPECT_EQ(readAll(p.folder / ".homeyignore"), "caf\xE9\nnode_modules\nsources/\n");
}

TEST(DriverPackageWriter, RootBehindALinkWithFoldersStillToMake) {
    Project p;
    TemporaryFolder elsewhere;
    elsewhere.link("project", p.folder.path());
    const HomeyApp app = HomeyProjectReader::readProject(elsewhere / "project/");
    const auto plan = HomeyProjectWriter().write(fullPackage(), app.drivers[1], app, false);
    EXPECT_EQ(plan.front().path, "drivers/plug/assets/icon.svg");
    EXPECT_EQ(readAll(p.folder / "sources/icones/plug/face.jpg"), "photo bytes");
    EXPECT_TRUE(std::filesystem::is_symlink(elsewhere / "project"));
}

}  // namespace
}  // namespace homey_project

namespace homey_project {
namespace {

TEST(DriverPackageWriter, FailedAppendLeavesNoFragment) {
    TemporaryFolder folder;
    folder.write(".homeyignore", "node_modules");
    // In a child process, so the file size limit binds nothing else: the limit
    // lets three bytes of the line through, the append must take them back.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{15, 15};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int fd = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
        FileOperations operations;
        const auto outcome = operations.appendToFile(fd, ".homeyignore", "\nsources/\n");
        ::_exit(outcome == FileOperations::Outcome::failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(folder / ".homeyignore"), "node_modules");
}

}  // namespace
}  // namespace homey_project
