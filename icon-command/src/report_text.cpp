#include "report_text.hpp"

#include <cmath>
#include <variant>

#include "icon_geometry/number_text.hpp"
#include "messages.hpp"

namespace icon_command::IconCommand {

namespace {

using homey_project::ComplianceItem;
using homey_project::ComplianceStatus;
using homey_project::DriverImageIssue;
using homey_project::DriverImageSize;

// "1000" for xlarge: the side as the texts show it.
std::string sideText(DriverImageSize size) {
    return NumberText::integer(homey_project::rawValue(size));
}

// The overlap as a percentage without decimals, a space and "%": the same in
// both languages.
std::string overlapText(double overlap) {
    return NumberText::fixed(overlap * 100, 0) + " %";
}

std::string distanceText(double distance, Language language) {
    return NumberText::fixed(distance, 3, language == Language::fr);
}

// Both the report's line and the image's issue: the file is not what its name says.
std::string notOfItsFormatText(std::string_view file, homey_project::DriverImageFormat format, Language language) {
    if (format == homey_project::DriverImageFormat::jpeg)
        return concat({displayed(file), language.choose(" n’est pas un fichier JPEG", " is not a JPEG file")});
    return concat({displayed(file), language.choose(" n’est pas un fichier PNG", " is not a PNG file")});
}

// Plural "s" from two in French, everywhere but one in English.
std::string_view plural(std::size_t count, Language language) {
    if (language == Language::fr) return count >= 2 ? "s" : "";
    return count == 1 ? "" : "s";
}

}  // namespace

namespace NumberText {

std::string fixed(double value, int decimals, bool decimalComma) {
    std::string text = icon_geometry::NumberText::fixed(value, decimals);
    if (decimalComma) {
        for (char& c : text)
            if (c == '.') c = ',';
    }
    return text;
}

// Adding +0 turns a −0 (from −0.4, say) into 0: an integer has no sign of zero.
std::string truncated(double value) {
    return fixed(std::trunc(value) + 0.0, 0);
}

std::string rounded(double value) {
    return fixed(std::round(value) + 0.0, 0);
}

}  // namespace NumberText

std::string complianceText(const ComplianceItem& item, Language language) {
    return std::visit(
        Overloaded{
            [&](const ComplianceItem::IconFillsCanvas& c) {
                return concat({language.choose("Icône : touche deux bords opposés du canevas (tolérance ",
                                               "Icon: touches two opposite canvas edges (tolerance "),
                               NumberText::truncated(c.tolerance), ")"});
            },
            [&](const ComplianceItem::IconReadableStroke& c) {
                return concat({language.choose("Icône : trait le plus fin ", "Icon: thinnest stroke "),
                               NumberText::rounded(c.thinnest),
                               language.choose(" sur 960, lisible à 50 pixels à partir de 19",
                                               " out of 960, readable at 50 pixels from 19")});
            },
            [&](const ComplianceItem::IconDistinctFromApp& c) {
                return concat({language.choose("Icône : distincte de l’icône de l’app (recouvrement ",
                                               "Icon: distinct from the app icon (overlap "),
                               overlapText(c.overlap), ")"});
            },
            [&](const ComplianceItem::IconDistinctFromDriver& c) {
                return concat({language.choose("Icône : trop proche de celle du pilote ", "Icon: too close to driver "),
                               displayed(c.id), language.choose(" (recouvrement ", "’s icon (overlap "),
                               overlapText(c.overlap), ")"});
            },
            [&](const ComplianceItem::ImageSize& c) {
                const std::string side = sideText(c.size);
                return concat({displayed(c.file), language.choose(" : ", ": "), side, " × ", side, " pixels"});
            },
            [&](const ComplianceItem::ImageBackground& c) {
                return concat({displayed(c.file),
                               language.choose(" : fond blanc ou transparent", ": white or transparent background")});
            },
            [&](const ComplianceItem::ImageFormat& c) {
                return notOfItsFormatText(
                    c.file, homey_project::driverImageFormat(c.file).value_or(homey_project::DriverImageFormat::png),
                    language);
            },
            [&](const ComplianceItem::ImageDistinctFromApp& c) {
                return concat({language.choose("Image : distincte de l’image de l’app (écart ",
                                               "Image: distinct from the app image (distance "),
                               distanceText(c.distance, language), ")"});
            },
            [&](const ComplianceItem::ImageDistinctFromDriver& c) {
                return concat(
                    {language.choose("Image : trop proche de celle du pilote ", "Image: too close to driver "),
                     displayed(c.id), language.choose(" (écart ", "’s image (distance "),
                     distanceText(c.distance, language), ")"});
            },
            [&](const ComplianceItem::IconCanvas&) {
                return std::string(language.choose("Icône : canevas de 960 × 960, fond transparent",
                                                   "Icon: 960 × 960 canvas, transparent background"));
            },
            [&](const ComplianceItem::IconSingleColor&) {
                return std::string(language.choose("Icône : une seule couleur, sans dégradé ni image",
                                                   "Icon: a single color, no gradient and no image"));
            },
            [&](const ComplianceItem::IconCommands&) {
                return std::string(
                    language.choose("Icône : commandes M, L, C, Z seulement, sans arc ni segment nul",
                                    "Icon: M, L, C, Z commands only, no arc and no zero-length segment"));
            },
            [&](const ComplianceItem::PhotographReminder&) {
                return std::string(
                    language.choose("Les images sont-elles des photographies de l’objet ? À vérifier vous-même.",
                                    "Are the images photographs of the device? Check it yourself."));
            },
        },
        item.value);
}

std::string imageIssueText(const DriverImageIssue& issue, DriverImageSize size, Language language) {
    return imageIssueText(issue, homey_project::fileName(size), language);
}

std::string imageIssueText(const DriverImageIssue& issue, std::string_view named, Language language) {
    const std::string file = displayed(named);
    return std::visit(
        Overloaded{
            [&](const DriverImageIssue::WrongSize& i) {
                const std::string expected = NumberText::integer(i.expected);
                return concat({file, language.choose(" : ", ": "), NumberText::integer(i.width), " × ",
                               NumberText::integer(i.height), language.choose(" au lieu de ", " instead of "), expected,
                               " × ", expected});
            },
            [&](const DriverImageIssue::BackgroundNotWhite& i) {
                return concat({file,
                               language.choose(" : fond ni blanc ni transparent (",
                                               ": background neither white nor transparent ("),
                               NumberText::rounded(i.share * 100),
                               language.choose(" % du pourtour)", "% of the border)")});
            },
            [&](const DriverImageIssue::Upscaled& i) {
                return concat(
                    {file,
                     language.choose(" : photo trop petite, objet agrandi ", ": photo too small, device enlarged "),
                     NumberText::fixed(i.factor, 1, language == Language::fr), language.choose(" fois", " times")});
            },
            [&](const DriverImageIssue::Unreadable&) {
                return concat({file, language.choose(" : illisible", ": unreadable")});
            },
            [&](const DriverImageIssue::WrongFormat& i) { return notOfItsFormatText(named, i.expected, language); },
        },
        issue.value);
}

std::string_view statusMark(ComplianceStatus status) {
    switch (status) {
        case ComplianceStatus::passed:
            return "✓";
        case ComplianceStatus::manual:
            return "?";
        case ComplianceStatus::warning:
            return "⚠︎";
        case ComplianceStatus::failed:
            return "✗";
    }
    return "?";
}

void printReport(const homey_project::ComplianceReport& report, const std::function<void(std::string_view)>& out,
                 Language language) {
    out(language.choose("Conformité :", "Compliance:"));
    for (const homey_project::ComplianceCheck& check : report.checks) {
        out(concat({"  ", statusMark(check.status), " ", complianceText(check.item, language)}));
    }
    const std::size_t failures = report.failures().size();
    const std::size_t warnings = report.warnings().size();
    out(concat({NumberText::integer(static_cast<std::int64_t>(failures)), language.choose(" erreur", " error"),
                plural(failures, language), ", ", NumberText::integer(static_cast<std::int64_t>(warnings)),
                language.choose(" avertissement", " warning"), plural(warnings, language)}));
}

}  // namespace icon_command::IconCommand
