#include "views/SoftwareManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

namespace tarvolin::views {
namespace {

// A stand-in program that leaves a mark when it runs.
void installProgram(const QString& folder, const QString& name, const QString& mark) {
    QFile script(QDir(folder).filePath(name));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(mark).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(SoftwareManager, TheFirstInstalledOneIsFoundAndStartedDetached) {
    QTemporaryDir first;
    QTemporaryDir second;
    const QStringList paths{first.path(), second.path()};
    EXPECT_EQ(findSoftwareManager(paths), QString());
    EXPECT_FALSE(startSoftwareManager(paths));

    const QString mark = QDir(second.path()).filePath("started");
    installProgram(second.path(), "plasma-discover", mark);
    EXPECT_EQ(findSoftwareManager(paths), QDir(second.path()).filePath("plasma-discover"));
    installProgram(first.path(), "gnome-software", mark);
    installProgram(second.path(), "gnome-software", mark);
    // gnome-software is preferred wherever it is.
    EXPECT_EQ(findSoftwareManager({second.path()}), QDir(second.path()).filePath("gnome-software"));

    ASSERT_TRUE(startSoftwareManager(paths));
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(mark) && timer.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_TRUE(QFile::exists(mark));
}

}  // namespace
}  // namespace tarvolin::views
