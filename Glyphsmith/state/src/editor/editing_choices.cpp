#include "glyphsmith_state/editing_choices.hpp"

#include <QCoreApplication>

namespace glyphsmith_state {

using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;
using icon_geometry::Pictogram;
using icon_geometry::Vector2;

namespace {

constexpr std::array<std::string_view, 4> shapeKindNames{"roundedRectangle", "superellipse", "ellipse", "capsule"};
constexpr std::array<std::string_view, 17> detailTemplateNames{"roundButton", "rectangularButton",
                                                               "indicator",   "screen",
                                                               "slot",        "separator",
                                                               "dotGrid",     "socket",
                                                               "cable",       "power",
                                                               "chevronUp",   "chevronDown",
                                                               "sun",         "thermometer",
                                                               "plus",        "minus",
                                                               "wifi"};
constexpr std::array<std::string_view, 3> partTemplateNames{"box", "knob", "cylinder"};

// The case whose name is `raw`, exactly; nothing for any other text.
template <class Choice, std::size_t N>
std::optional<Choice> caseNamed(const std::array<std::string_view, N>& names, std::string_view raw) {
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == raw) return Choice(Choice::allCases[i]);
    return std::nullopt;
}

// The French text is both the translation key and the default wording.
QString translated(const char* context, const char* french) {
    return QCoreApplication::translate(context, french);
}

}  // namespace

std::string_view ShapeKind::rawValue() const {
    return shapeKindNames[value];
}
std::optional<ShapeKind> ShapeKind::fromRawValue(std::string_view raw) {
    return caseNamed<ShapeKind>(shapeKindNames, raw);
}

std::string_view DetailTemplate::rawValue() const {
    return detailTemplateNames[value];
}
std::optional<DetailTemplate> DetailTemplate::fromRawValue(std::string_view raw) {
    return caseNamed<DetailTemplate>(detailTemplateNames, raw);
}

QString DetailTemplate::label() const {
    static constexpr std::array<const char*, 17> labels{"Bouton rond",
                                                        "Bouton rectangulaire",
                                                        "Voyant",
                                                        "Écran",
                                                        "Fente",
                                                        "Trait de séparation",
                                                        "Grille de points",
                                                        "Alvéoles de prise",
                                                        "Câble sortant",
                                                        "Marche/arrêt",
                                                        "Chevron vers le haut",
                                                        "Chevron vers le bas",
                                                        "Soleil",
                                                        "Thermomètre",
                                                        "Plus",
                                                        "Moins",
                                                        "Wi-Fi"};
    return translated("DetailTemplate", labels[value]);
}

FaceDetail DetailTemplate::makeDetail(Vector2 p, double faceWidth, double faceHeight) const {
    const double u = faceHeight / 10;
    const auto pictogram = [&](Pictogram::Case kind, double size) { return FaceDetail::pictogram(kind, p, size); };
    switch (value) {
        case roundButton:
            return FaceDetail::button(FaceShape::ellipse(2 * u, 2 * u), p, {});
        case rectangularButton:
            return FaceDetail::button(FaceShape::roundedRectangle(2.2 * u, 1.5 * u, 0.4 * u), p, {});
        case indicator:
            return FaceDetail::indicator(p, 0.4 * u, {});
        case screen:
            return FaceDetail::screen(p, 5 * u, 3 * u, 0.4 * u);
        case slot:
            return FaceDetail::slot({p.x - u, p.y}, {p.x + u, p.y}, 0.4 * u);
        case separator:
            return FaceDetail::separator({-0.4 * faceWidth, p.y}, {0.4 * faceWidth, p.y});
        case dotGrid:
            return FaceDetail::dotGrid(p, 4, 4, 0.6 * u, 0.3 * u, false, {});
        case socket:
            return FaceDetail::socketHoles(p, 1.9 * u, 0.5 * u, true);
        case cable:
            return FaceDetail::cable({{faceWidth / 2, p.y}, {faceWidth / 2 + 2 * u, p.y}},
                                     icon_geometry::StrokeWeight::outer());
        case power:
            return pictogram(Pictogram::power, 1.5 * u);
        case chevronUp:
            return pictogram(Pictogram::chevronUp, 1.5 * u);
        case chevronDown:
            return pictogram(Pictogram::chevronDown, 1.5 * u);
        case sun:
            return pictogram(Pictogram::sun, 2 * u);
        case thermometer:
            return pictogram(Pictogram::thermometer, 3 * u);
        case plus:
            return pictogram(Pictogram::plus, 1.5 * u);
        case minus:
            return pictogram(Pictogram::minus, 1.5 * u);
        case wifi:
            return pictogram(Pictogram::wifi, 2 * u);
    }
    return pictogram(Pictogram::wifi, 2 * u);
}

std::string_view PartTemplate::rawValue() const {
    return partTemplateNames[value];
}
std::optional<PartTemplate> PartTemplate::fromRawValue(std::string_view raw) {
    return caseNamed<PartTemplate>(partTemplateNames, raw);
}

QString modelTemplateLabel(icon_geometry::ModelTemplate modelTemplate) {
    static constexpr std::array<const char*, 7> labels{"Panneau mural",        "Ampoule",
                                                       "Ampoule à filament",   "Tête thermostatique",
                                                       "Thermostat à molette", "Capteur d’ouverture et aimant",
                                                       "Détecteur au plafond"};
    return translated("ModelTemplate", labels[modelTemplate.value]);
}

}  // namespace glyphsmith_state
