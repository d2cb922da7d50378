// The main of the Qt test executables: a QApplication on the offscreen platform and a settings
// store in a temporary XDG_CONFIG_HOME, so no test ever reads or writes the user's own file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

#include "ui/SettingsStore.h"

int main(int argc, char** argv) {
    // Test discovery runs the executable without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    if (!configHome.isValid()) {
        std::fprintf(stderr, "cannot create a temporary config folder\n");
        return 1;
    }
    // QSettings takes its user folder from the environment once, at its first use.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);

    const QString storeFile = tarvolin::ui::openSettingsKey()->fileName();
    if (storeFile != QDir(configHome.path()).filePath(QStringLiteral("Brelland/Tarvolin.conf"))) {
        std::fprintf(stderr, "settings store is not the temporary one: %s\n",
                     qPrintable(storeFile));
        return 1;
    }
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
