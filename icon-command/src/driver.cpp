// The driver command: a driver of a Homey app prepared, checked and, on
// request, written into the project, through the same reader and writer as the
// app.

#include <algorithm>
#include <file_access/bounded_read.hpp>
#include <homey_project/compliance_report.hpp>
#include <homey_project/driver_package_writer.hpp>
#include <homey_project/homey_app.hpp>
#include <homey_project/source_layout.hpp>

#include "commands.hpp"
#include "icon_command/files.hpp"
#include "messages.hpp"
#include "report_text.hpp"
#include "starting_model.hpp"
#include "write_signals.hpp"

namespace icon_command::IconCommand {

namespace {

using homey_project::HomeyProjectError;
using Kind = HomeyProjectError::Kind;

NameSet driverOptions() {
    NameSet options = settingOptions();
    options.insert(angleOptions().begin(), angleOptions().end());
    options.insert({"modele", "gabarit", "photo"});
    return options;
}

NameSet driverFlags() {
    NameSet flags = bevelFlags();
    flags.insert({"ecrire", "remplacer"});
    return flags;
}

// A refused or failed write, after the plan and the report were shown.
CommandError writeError(const HomeyProjectError& error, Language language) {
    switch (error.kind()) {
        case Kind::wouldOverwrite:
            return CommandError(concat({language.choose("Ces fichiers existent déjà ; ajoutez --remplacer pour les "
                                                        "remplacer : ",
                                                        "These files already exist; add --overwrite to replace them: "),
                                        joined(error.paths()), "."}),
                                ExitCode::failure);
        case Kind::outsideProject:
            return CommandError(concat({language.choose("Écriture refusée hors du dossier du projet : ",
                                                        "Write refused outside the project folder: "),
                                        displayed(error.path()), "."}),
                                ExitCode::fileError);
        case Kind::writeFailed:
            if (!error.written().empty())
                return CommandError(partialWriteFailure(error.path(), error.written(), error.notWritten(), language),
                                    ExitCode::fileError);
            return CommandError(writeFailure(error.path(), language), ExitCode::fileError);
        case Kind::unreadableSource:
        case Kind::newerModel:
            return CommandError(projectErrorMessage(error, language), ExitCode::fileError);
        case Kind::unknownDriver:
        case Kind::notAHomeyApp:
            break;
    }
    return CommandError(
        std::string(language.choose("Le projet a changé pendant l’écriture.", "The project changed during the write.")),
        ExitCode::fileError);
}

// The face photo kept among the sources: "photo-face." and the photo's own
// extension in lower case, "png" when it has none.
std::string sourcePhotoName(const std::string& photoPath) {
    return homey_project::SourceLayout::facePhotoName(
        foldedName(homey_project::SourceLayout::facePhotoExtension(photoPath)));
}

}  // namespace

std::string projectErrorMessage(const HomeyProjectError& error, Language language) {
    switch (error.kind()) {
        case Kind::unreadableSource:
            return concat({displayed(error.path()),
                           language.choose(" est illisible : corrigez-le ou supprimez-le, rien n’est écrit.",
                                           " is unreadable: fix or delete it; nothing is written.")});
        case Kind::newerModel:
            return concat(
                {displayed(error.path()),
                 language.choose(" vient d’une version plus récente de l’outil : mettez-le à jour, rien n’est écrit.",
                                 " comes from a newer version of the tool: update it; nothing is written.")});
        default:
            return std::string(language.choose("Le projet est illisible.", "The project is unreadable."));
    }
}

ExitCode runDriver(const ParsedArguments& parsed, const Console& console, Language language) {
    checkAllowedOptions(driverOptions(), driverFlags(), language, parsed);
    if (parsed.positionals.size() != 2) {
        refuse(std::string(
            language.choose("Usage : glyphctl pilote <dossier de l’app> <id du pilote> [options] [--ecrire]",
                            "Usage: glyphctl driver <app folder> <driver id> [options] [--write]")));
    }

    // The reader and the writer get the folder as a full path, so that "app/",
    // "./app/../app" and a link to the project all name the same root.
    const std::filesystem::path root = fullPath(parsed.positionals[0]);
    homey_project::HomeyApp app;
    try {
        app = homey_project::HomeyProjectReader().read(root);
    } catch (const std::exception& error) {
        throw CommandError(concat({displayed(root.string()),
                                   language.choose(" n’est pas une app Homey : son app.json est absent ou illisible.",
                                                   " is not a Homey app: its app.json is missing or unreadable.")}),
                           ExitCode::fileError);
    }

    const std::string& id = parsed.positionals[1];
    const auto found = std::find_if(app.drivers.begin(), app.drivers.end(),
                                    [&](const homey_project::HomeyDriver& d) { return d.id == id; });
    if (found == app.drivers.end()) {
        std::vector<std::string> ids;
        for (const homey_project::HomeyDriver& d : app.drivers) ids.push_back(d.id);
        refuse(concat({language.choose("Pilote inconnu : ", "Unknown driver: "), quoted(id, language),
                       language.choose(". Pilotes de l’app : ", ". The app’s drivers: "), joined(ids), "."}));
    }
    const homey_project::HomeyDriver& driver = *found;

    const homey_project::HomeyProjectWriter writer;
    std::optional<icon_geometry::IconModel> storedModel;
    std::optional<icon_geometry::Camera> storedCamera;
    try {
        storedModel = writer.savedModel(driver, app);
        storedCamera = writer.brandCamera(app);
    } catch (const HomeyProjectError& error) {
        throw CommandError(projectErrorMessage(error, language), ExitCode::fileError);
    }
    const icon_geometry::Camera brandCamera = storedCamera.value_or(icon_geometry::Camera::defaultCamera());

    const icon_geometry::IconModel model = startingModel(parsed, storedModel, language);
    const std::string svg = iconSVG(model, brandCamera);

    homey_project::DriverPackage package{.iconSVG = svg,
                                         .images = {},
                                         .model = model,
                                         .sourcePhotos = {},
                                         .faceCorners = {},
                                         .brandCamera = brandCamera};
    if (const auto photo = parsed.options.find("photo"); photo != parsed.options.end()) {
        // The images' faults are told under the names of the files they are for.
        homey_project::ImageNames files;
        for (const homey_project::DriverImageSize size : homey_project::allDriverImageSizes)
            files.emplace(size, driver.imageFileName(size));
        RenderedImages rendered = renderImages(photo->second, language, files);
        for (const std::string& line : rendered.issueLines) console.err(concat({"⚠︎ ", line}));
        package.images = std::move(rendered.images);
        // A photo that cannot be read again only loses its copy among the sources.
        if (std::optional<std::string> bytes = readFile(photo->second, file_access::imageFileLimit)) {
            package.sourcePhotos.push_back({sourcePhotoName(photo->second), std::move(*bytes)});
        }
    }

    const std::vector<homey_project::PlannedWrite> plan = writer.plan(package, driver, app);
    console.out(concat({language.choose("Pilote ", "Driver "), displayed(driver.id), language.choose(" de ", " of "),
                        displayed(app.displayName(language.rawValue())), language.choose(" :", ":")}));
    for (const homey_project::PlannedWrite& planned : plan) {
        const std::string_view label =
            planned.exists ? language.choose("remplacé", "replaced") : language.choose("nouveau ", "new     ");
        console.out(concat({"  ", label, " ", displayed(planned.path)}));
    }

    const homey_project::ComplianceReport report =
        homey_project::ComplianceReport::forProjectDriver(driver, app, svg, package.images, canvasEdgeTolerance);
    console.out("");
    printReport(report, console.out, language);

    if (!parsed.hasFlag("ecrire")) {
        console.out("");
        console.out(language.choose("Rien n’est écrit : relancez avec --ecrire pour écrire ces fichiers.",
                                    "Nothing written: run again with --write to write these files."));
        return ExitCode::success;
    }

    // A signal while the files are staged gives the write up with nothing
    // replaced; once they are being renamed the write ends first.
    const WriteSignals signals;
    std::vector<homey_project::PlannedWrite> written;
    try {
        written = writer.write(package, driver, app, parsed.hasFlag("remplacer"), [&] { return signals.received(); });
    } catch (const homey_project::WriteCancelled&) {
        console.err(interruptedWrite(language));
        return signals.exitCode();
    } catch (const HomeyProjectError& error) {
        throw writeError(error, language);
    }
    // The count is of what the write did: it plans again, so "marque.json" or the
    // ".homeyignore" line may have come or gone since the plan shown above.
    console.out("");
    console.out(concat({NumberText::integer(static_cast<std::int64_t>(written.size())),
                        language.choose(" fichiers écrits.", " files written.")}));
    if (signals.received()) return signals.exitCode();
    return report.failures().empty() ? ExitCode::success : ExitCode::failure;
}

}  // namespace icon_command::IconCommand
