#pragma once

// Doubles of the project store's seams: recent projects and the free icon in memory, a project
// reader and writer that answer as told and remember what they were asked, and
// file panels that answer from a script.

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "glyphsmith_state/file_panels.hpp"
#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/recent_projects.hpp"
#include "homey_project/driver_package_writer.hpp"
#include "homey_project/homey_app.hpp"

namespace glyphsmith_state_testing {

// Keeps what was saved, the first ten as the stored form does.
class MemoryRecentProjects final : public glyphsmith_state::RecentProjectsStoring {
public:
    explicit MemoryRecentProjects(QStringList stored = {}) : stored_(std::move(stored)) {}
    QStringList loadRecentProjects() const override { return stored_; }
    void saveRecentProjects(const QStringList& folders) override {
        stored_ = folders.first(std::min<qsizetype>(folders.size(), 10));
        ++saveCount;
    }
    const QStringList& stored() const { return stored_; }
    int saveCount = 0;

private:
    QStringList stored_;
};

// Hands out the model it was given and keeps every model saved, in order.
class MemoryFreeIcon final : public glyphsmith_state::FreeIconStoring {
public:
    std::optional<icon_geometry::IconModel> load() override { return stored; }
    void save(const icon_geometry::IconModel& model) override { saves.push_back(model); }
    std::optional<icon_geometry::IconModel> stored;
    std::vector<icon_geometry::IconModel> saves;
};

// Folders it knows read as their app; any other is not a Homey app.
class FakeProjectReader final : public homey_project::HomeyProjectReading {
public:
    std::map<std::string, homey_project::HomeyApp> apps;
    homey_project::HomeyApp read(const std::filesystem::path& root) const override {
        const auto known = apps.find(root.string());
        if (known == apps.end()) throw homey_project::HomeyProjectError::notAHomeyApp();
        return known->second;
    }
};

// Plans one entry per package part, writes nothing to disk, and gives stored
// models and the brand camera as told.
class FakeProjectWriter final : public homey_project::HomeyProjectWriting {
public:
    using ModelAnswer = std::variant<std::monostate, icon_geometry::IconModel, homey_project::HomeyProjectError>;

    // Driver id to stored model; absent ids have none.
    std::map<std::string, ModelAnswer> storedModels;
    std::variant<std::monostate, icon_geometry::Camera, homey_project::HomeyProjectError> storedCamera;
    // Relative paths that exist, for the plan's flags.
    std::vector<std::string> existing;
    std::optional<homey_project::HomeyProjectError> writeFailure;

    struct Write {
        homey_project::DriverPackage package;
        std::string driverID;
        bool overwrite = false;
    };
    mutable std::vector<Write> writes;
    mutable int planCount = 0;

    std::vector<homey_project::PlannedWrite> plan(const homey_project::DriverPackage& package,
                                                  const homey_project::HomeyDriver& driver,
                                                  const homey_project::HomeyApp&) const override {
        ++planCount;
        std::vector<homey_project::PlannedWrite> planned;
        const auto add = [&](std::string path) {
            const bool exists = std::find(existing.begin(), existing.end(), path) != existing.end();
            planned.push_back({std::move(path), exists});
        };
        add("drivers/" + driver.id + "/assets/icon.svg");
        for (const auto& [size, data] : package.images)
            add("drivers/" + driver.id + "/assets/images/" + std::string(homey_project::fileName(size)));
        add("sources/icones/" + driver.id + "/modele.json");
        for (const auto& photo : package.sourcePhotos) add("sources/icones/" + driver.id + "/" + photo.name);
        return planned;
    }
    std::vector<homey_project::PlannedWrite> write(const homey_project::DriverPackage& package,
                                                   const homey_project::HomeyDriver& driver,
                                                   const homey_project::HomeyApp& app, bool overwrite) const override {
        if (writeFailure) throw *writeFailure;
        writes.push_back({package, driver.id, overwrite});
        return plan(package, driver, app);
    }
    std::optional<icon_geometry::IconModel> savedModel(const homey_project::HomeyDriver& driver,
                                                       const homey_project::HomeyApp&) const override {
        const auto answer = storedModels.find(driver.id);
        if (answer == storedModels.end()) return std::nullopt;
        if (const auto* error = std::get_if<homey_project::HomeyProjectError>(&answer->second)) throw *error;
        if (const auto* model = std::get_if<icon_geometry::IconModel>(&answer->second)) return *model;
        return std::nullopt;
    }
    std::optional<icon_geometry::Camera> brandCamera(const homey_project::HomeyApp&) const override {
        if (const auto* error = std::get_if<homey_project::HomeyProjectError>(&storedCamera)) throw *error;
        if (const auto* camera = std::get_if<icon_geometry::Camera>(&storedCamera)) return *camera;
        return std::nullopt;
    }
};

// Answers each panel with the next scripted answer (nothing once the script is
// over; an open panel gives the one path) and remembers the requests. `whileOpen` runs inside the panel, as work
// delivered by a nested event loop would.
class ScriptedFilePanels final : public glyphsmith_state::FilePanels {
public:
    std::deque<std::optional<QString>> answers;
    std::function<void()> whileOpen;
    std::vector<glyphsmith_state::OpenPanelRequest> openRequests;
    std::vector<glyphsmith_state::SavePanelRequest> saveRequests;

    QStringList open(const glyphsmith_state::OpenPanelRequest& request) override {
        openRequests.push_back(request);
        const std::optional<QString> path = answer();
        return path ? QStringList{*path} : QStringList();
    }
    std::optional<QString> save(const glyphsmith_state::SavePanelRequest& request) override {
        saveRequests.push_back(request);
        return answer();
    }

private:
    std::optional<QString> answer() {
        if (whileOpen) whileOpen();
        if (answers.empty()) return std::nullopt;
        std::optional<QString> next = std::move(answers.front());
        answers.pop_front();
        return next;
    }
};

}  // namespace glyphsmith_state_testing
