// The main of test binaries whose code needs a Qt application object: queued
// deliveries, thread affinity and the standard locations all ask for one. Test
// mode keeps the standard locations away from the user's own files.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
