// The images and check commands, and the rendering of driver images from a
// photo that the driver command shares.

#include <file_access/bounded_read.hpp>
#include <homey_project/compliance_report.hpp>
#include <homey_project/driver_image_check.hpp>
#include <icon_geometry/icon_geometry_error.hpp>
#include <icon_geometry/svg_document.hpp>
#include <photo_analysis/driver_image_renderer.hpp>
#include <photo_analysis/photo_analysis_error.hpp>
#include <photo_analysis/subject_extraction.hpp>
#include <span>
#include <system_error>

#include "commands.hpp"
#include "icon_command/files.hpp"
#include "messages.hpp"
#include "report_text.hpp"
#include "write_signals.hpp"

namespace icon_command::IconCommand {

namespace {

namespace fs = std::filesystem;
using homey_project::DriverImageSize;
using photo_analysis::PhotoAnalysisError;
using photo_analysis::SubjectExtraction;

photo_analysis::SubjectMask subjectMask(const photo_analysis::Photo& photo, const std::string& photoPath,
                                        Language language, const photo_analysis::Segmenter& segmenter) {
    try {
        // The segmenter, then the background; a refused mask never becomes images.
        return SubjectExtraction::extract(photo, segmenter);
    } catch (const PhotoAnalysisError&) {
        throw CommandError(concat({language.choose("Aucun objet trouvé sur la photo ", "No device found in the photo "),
                                   displayed(photoPath), "."}),
                           ExitCode::failure);
    }
}

std::span<const std::uint8_t> bytesOf(const std::string& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
}

bool isSvgDocument(const std::string& text) {
    try {
        (void)icon_geometry::SVGDocument::parse(std::string_view(text));
        return true;
    } catch (const icon_geometry::IconGeometryError&) {
        return false;
    }
}

}  // namespace

RenderedImages renderImages(const std::string& photoPath, Language language, const homey_project::ImageNames& files) {
    return renderImages(photoPath, language, photo_analysis::GrabCutSegmenter{}, files);
}

RenderedImages renderImages(const std::string& photoPath, Language language, const photo_analysis::Segmenter& segmenter,
                            const homey_project::ImageNames& files) {
    photo_analysis::Photo photo;
    try {
        photo = photo_analysis::Photo::load(photoPath);
    } catch (const PhotoAnalysisError&) {
        throw CommandError(
            concat({language.choose("Photo illisible : ", "Unreadable photo: "), displayed(photoPath), "."}),
            ExitCode::fileError);
    }
    const photo_analysis::SubjectMask mask = subjectMask(photo, photoPath, language, segmenter);

    const photo_analysis::DriverImageRenderer renderer{.margin = 0.08};
    RenderedImages rendered;
    for (const DriverImageSize size : homey_project::allDriverImageSizes) {
        const auto named = files.find(size);
        const std::string file = named != files.end() ? named->second : std::string(homey_project::fileName(size));
        photo_analysis::DriverImageRenderer::Rendering rendering;
        std::string png;
        try {
            rendering = renderer.render(photo, mask, size);
            const std::vector<std::uint8_t> data = photo_analysis::DriverImageRenderer::pngData(rendering.image);
            png.assign(data.begin(), data.end());
        } catch (const PhotoAnalysisError&) {
            throw CommandError(concat({language.choose("Le rendu de ", "Rendering "), displayed(file),
                                       language.choose(" a échoué.", " failed.")}),
                               ExitCode::failure);
        }
        for (const homey_project::DriverImageIssue& issue :
             homey_project::DriverImageCheck::checkImageData(bytesOf(png), size)) {
            rendered.issueLines.push_back(imageIssueText(issue, file, language));
        }
        if (photo_analysis::DriverImageRenderer::isUpscaled(rendering.upscale)) {
            rendered.issueLines.push_back(
                imageIssueText(homey_project::DriverImageIssue::upscaled(rendering.upscale), file, language));
        }
        rendered.images.emplace(size, std::move(png));
    }
    return rendered;
}

ExitCode runImages(const ParsedArguments& parsed, const Console& console, Language language) {
    checkAllowedOptions({"sortie"}, {}, language, parsed);
    if (parsed.positionals.size() != 1) {
        refuse(std::string(language.choose("Usage : glyphctl images <photo> [-o dossier]",
                                           "Usage: glyphctl images <photo> [-o folder]")));
    }
    const auto output = parsed.options.find("sortie");
    const fs::path folder = fullPath(output != parsed.options.end() ? output->second : ".");

    // Everything is rendered before anything is made or written.
    const RenderedImages rendered = renderImages(parsed.positionals.front(), language);

    MadeFolders made;
    std::error_code error;
    if (!made.create(folder) || !fs::is_directory(folder, error)) {
        made.removeAll();
        throw CommandError(concat({language.choose("Impossible de créer le dossier ", "Cannot create the folder "),
                                   displayed(folder.string()), "."}),
                           ExitCode::fileError);
    }
    // The three images are replaced together or not at all; a signal while
    // they are staged gives the write up, one during the renames waits for them.
    std::vector<OutputFile> files;
    for (const auto& [size, png] : rendered.images)
        files.push_back({(folder / homey_project::fileName(size)).string(), png});
    const WriteSignals signals;
    bool written = false;
    try {
        written = writeFilesTogether(folder, files, language, [&] { return signals.received(); });
    } catch (const CommandError&) {
        made.removeAll();
        throw;
    }
    if (!written) {
        made.removeAll();
        console.err(interruptedWrite(language));
        return signals.exitCode();
    }
    for (const OutputFile& file : files)
        console.out(concat({language.choose("Image écrite : ", "Image written: "), displayed(file.path)}));
    for (const std::string& line : rendered.issueLines) console.err(concat({"⚠︎ ", line}));
    console.out(language.choose(
        "Rappel : le Homey App Store exige une vraie photographie de l’appareil, sur fond blanc.",
        "Reminder: the Homey App Store requires a real photograph of the device, on a white background."));
    return signals.received() ? signals.exitCode() : ExitCode::success;
}

ExitCode runCheck(const ParsedArguments& parsed, const Console& console, Language language) {
    checkAllowedOptions({"images"}, {}, language, parsed);
    if (parsed.positionals.size() != 1) {
        refuse(std::string(language.choose("Usage : glyphctl controle <icone.svg> [--images dossier]",
                                           "Usage: glyphctl check <icon.svg> [--images folder]")));
    }
    const std::string& iconPath = parsed.positionals.front();
    const std::optional<std::string> icon = readFile(iconPath, file_access::textFileLimit);
    if (!icon) {
        throw CommandError(concat({language.choose("Impossible de lire ", "Cannot read "), displayed(iconPath), "."}),
                           ExitCode::fileError);
    }
    // An image or a text file is no icon to report on: it is refused as a file
    // that cannot be read, before any line could pass about it.
    if (!isSvgDocument(*icon)) {
        throw CommandError(
            concat({displayed(iconPath), language.choose(" n’est pas un document SVG.", " is not an SVG document.")}),
            ExitCode::fileError);
    }

    homey_project::ComplianceReport::Images images;
    homey_project::ImageNames files;
    if (const auto folder = parsed.options.find("images"); folder != parsed.options.end()) {
        // Each size's PNG, else its JPEG under either ending: the files a driver's
        // images folder may hold.
        for (const DriverImageSize size : homey_project::allDriverImageSizes) {
            const std::string png(homey_project::fileName(size));
            const std::string stem = png.substr(0, png.size() - 4);
            for (const std::string& name : {png, stem + ".jpg", stem + ".jpeg"}) {
                if (std::optional<std::string> bytes =
                        readFile(fs::path(folder->second) / name, file_access::imageFileLimit)) {
                    images.emplace(size, std::move(*bytes));
                    files.emplace(size, name);
                    break;
                }
            }
        }
        if (images.empty()) {
            throw CommandError(concat({language.choose("Aucune image de pilote dans ", "No driver image in "),
                                       displayed(folder->second), "."}),
                               ExitCode::fileError);
        }
    }

    const homey_project::ComplianceReport report =
        homey_project::ComplianceReport::forStandaloneIcon(icon, images, canvasEdgeTolerance, files);
    printReport(report, console.out, language);
    return report.failures().empty() ? ExitCode::success : ExitCode::failure;
}

}  // namespace icon_command::IconCommand
