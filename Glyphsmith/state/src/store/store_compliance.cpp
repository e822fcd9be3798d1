// The compliance reports of the editors, computed in the background.

#include <QPointer>

#include "editor_registry.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "project_session.hpp"
#include "report_requests.hpp"
#include "support/main_thread.hpp"

namespace glyphsmith_state {

using homey_project::ComplianceReport;
using homey_project::HomeyApp;
using homey_project::HomeyDriver;

std::optional<std::pair<HomeyDriver, HomeyApp>> ProjectStore::complianceSubject(
    const std::optional<HomeyApp>& app, const std::optional<std::string>& driverID) {
    if (const HomeyDriver* driver = driverWithID(app, driverID)) return std::pair(*driver, *app);
    return std::nullopt;
}

ReportKey ProjectStore::reportKey(const DriverEditor& editor) const {
    return {editor.serial(), editor.model(), brandCamera_, editor.driverImagesRevision()};
}

void ProjectStore::refreshComplianceReport(DriverEditor& editor, std::function<void()> finished) {
    assertMainThread(this);
    // The snapshot, on the main thread: the work below sees copies only.
    const ReportKey key = reportKey(editor);
    std::string icon = icon_geometry::iconSvg(editor.model(), brandCamera_);
    ComplianceReport::Images images;
    for (const auto& [size, png] : editor.driverImages())
        images.emplace(size, std::string(png.constData(), static_cast<std::size_t>(png.size())));
    std::optional<std::pair<HomeyDriver, HomeyApp>> subject = complianceSubject(app_, editors_->driverIDOf(editor));

    if (!reportRequests_->knows(editor.serial())) {
        // Forget the editor's requests with it.
        connect(&editor, &QObject::destroyed, this,
                [this, serial = editor.serial()] { reportRequests_->forget(serial); });
    }
    const std::uint64_t request = reportRequests_->start(editor.serial());

    runner_.run(
        TaskPriority::utility, this,
        [icon = std::move(icon), images = std::move(images), subject = std::move(subject)] {
            if (subject)
                return ComplianceReport::forProjectDriver(subject->first, subject->second, icon, images,
                                                          complianceTolerance);
            return ComplianceReport::forStandaloneIcon(icon, images, complianceTolerance);
        },
        [this, weakEditor = QPointer<DriverEditor>(&editor), key, request,
         finished = std::move(finished)](TaskOutcome<ComplianceReport> outcome) {
            // Only the latest request of an editor still kept by the store stores
            // its report: an older one finishing late would put back a stale report.
            if (weakEditor && outcome.hasValue() && isKept(*weakEditor) &&
                reportRequests_->finish(weakEditor->serial(), request, key))
                weakEditor->setReport(std::move(outcome.value()));
            if (finished) finished();
        });
}

}  // namespace glyphsmith_state

std::size_t std::hash<glyphsmith_state::ReportKey>::operator()(const glyphsmith_state::ReportKey& key) const {
    icon_geometry::Hasher h;
    h.combine(static_cast<std::size_t>(key.editor));
    h.combine(std::hash<icon_geometry::IconModel>{}(key.model));
    h.combine(std::hash<icon_geometry::Camera>{}(key.brand));
    h.combine(static_cast<long long>(key.driverImagesRevision));
    return h.state;
}
