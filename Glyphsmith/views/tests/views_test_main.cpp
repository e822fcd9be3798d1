// The views' tests run real widgets on the offscreen platform, with a French
// default locale, and keep the standard locations away from the user's files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
