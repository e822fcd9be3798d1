#include "editing/compliance_rows.hpp"

#include <gtest/gtest.h>

#include <QLabel>

namespace glyphsmith_views {
namespace {

using homey_project::ComplianceCheck;
using homey_project::ComplianceItem;
using homey_project::ComplianceStatus;
using homey_project::DriverImageIssue;
using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;

const QLocale french(QLocale::French, QLocale::France);
const QLocale english(QLocale::English, QLocale::UnitedStates);

TEST(ComplianceTexts, PercentagesTakeTheLocalesSignAndSpacing) {
    EXPECT_EQ(percentText(0.12, french), QStringLiteral("12\u202F%"));
    EXPECT_EQ(percentText(0.12, english), QStringLiteral("12%"));
    EXPECT_EQ(percentText(0.004, french), QStringLiteral("0\u202F%"));
    EXPECT_EQ(percentText(1.0, english), QStringLiteral("100%"));
}

TEST(ComplianceTexts, AnUpscalingFactorKeepsExactlyOneFractionDigit) {
    EXPECT_EQ(driverImageIssueText(DriverImageIssue::upscaled(2), french),
              QStringLiteral("Photo trop petite : l’objet est agrandi 2,0 fois."));
    EXPECT_EQ(oneDecimalText(2, english), QStringLiteral("2.0"));
    EXPECT_EQ(oneDecimalText(2.26, french), QStringLiteral("2,3"));
    EXPECT_EQ(driverImageIssueText(DriverImageIssue::wrongSize(80, 75, 75), french),
              QStringLiteral("Taille 80 × 75 au lieu de 75 × 75."));
}

TEST(ComplianceTexts, SentencesRoundTheirNumbersAndIgnoreTheStatus) {
    EXPECT_EQ(complianceMessage({ComplianceItem::IconReadableStroke{18.24}}, french),
              QStringLiteral("Icône : trait le plus fin 18 sur 960, lisible à 50 pixels à partir de 19"));
    EXPECT_EQ(complianceMessage({ComplianceItem::IconDistinctFromApp{0.98}}, french),
              QStringLiteral("Icône distincte de celle de l’app (recouvrement 98\u202F%)"));
    EXPECT_EQ(
        complianceMessage({ComplianceItem::ImageSize{homey_project::DriverImageSize::xlarge, "xlarge.png"}}, french),
        QStringLiteral("xlarge.png : 1000 × 1000 pixels"));
    const ComplianceCheck reminder{{ComplianceItem::PhotographReminder{}}, ComplianceStatus::manual};
    EXPECT_EQ(complianceAccessibleText(reminder, french),
              QStringLiteral("À vérifier soi-même : Est-ce une photographie de l’objet, oui ou non ?"));
}

TEST(ComplianceTexts, OnlyAnEllipticButtonIsARoundButton) {
    EXPECT_EQ(detailKindName(FaceDetail::button(FaceShape::ellipse(10, 10), {}, {})), QStringLiteral("Bouton rond"));
    EXPECT_EQ(detailKindName(FaceDetail::button(FaceShape::capsule(10, 5), {}, {})), QStringLiteral("Bouton"));
    EXPECT_EQ(detailKindName(FaceDetail::button(FaceShape::superellipse(10, 5, 4), {}, {})), QStringLiteral("Bouton"));
    EXPECT_EQ(detailKindName(FaceDetail::pictogram(icon_geometry::Pictogram::wifi, {}, 4)), QStringLiteral("Wi-Fi"));
}

// A driver's image lines name its own files; a file of another format than its
// name says is named with the format its name promises.
TEST(ComplianceTexts, ImageLinesNameTheDriversOwnFileAndItsFormat) {
    using homey_project::DriverImageSize;
    EXPECT_EQ(complianceMessage({ComplianceItem::ImageSize{DriverImageSize::small, "small.jpg"}}, french),
              QStringLiteral("small.jpg : 75 × 75 pixels"));
    EXPECT_EQ(complianceMessage({ComplianceItem::ImageFormat{DriverImageSize::large, "large.jpg"}}, french),
              QStringLiteral("large.jpg n’est pas un fichier JPEG"));
    EXPECT_EQ(complianceMessage({ComplianceItem::ImageFormat{DriverImageSize::large, "large.png"}}, french),
              QStringLiteral("large.png n’est pas un fichier PNG"));
    EXPECT_EQ(driverImageIssueText(DriverImageIssue::wrongFormat(homey_project::DriverImageFormat::jpeg), french),
              QStringLiteral("Ce n’est pas un fichier JPEG."));
}

TEST(ComplianceRows, ShowOneRowPerCheckInReportOrderWithTheStatusSpokenFirst) {
    ComplianceRows rows;
    rows.setChecks({{{ComplianceItem::ImageDistinctFromDriver{"prise", 0.02}}, ComplianceStatus::failed},
                    {{ComplianceItem::ImageDistinctFromDriver{"lampe", 0.04}}, ComplianceStatus::warning}});
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_TRUE(rows.messageLabel(0)->text().contains(QStringLiteral("pilote prise")));
    EXPECT_TRUE(rows.messageLabel(1)->text().contains(QStringLiteral("pilote lampe")));
    EXPECT_TRUE(rows.row(0)->accessibleName().startsWith(QStringLiteral("Non conforme : Images trop proches")));
    EXPECT_EQ(rows.messageLabel(0)->textFormat(), Qt::PlainText);
    QWidget* first = rows.row(0);
    rows.setChecks(rows.checks());
    EXPECT_EQ(rows.row(0), first);
    rows.setChecks({});
    EXPECT_EQ(rows.rowCount(), 0);
}

}  // namespace
}  // namespace glyphsmith_views
