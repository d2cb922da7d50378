// SettingsFixture: tests that start from an empty settings store (the temporary one that
// QtTestMain sets up).
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QVariant>

#include "ui/SettingsStore.h"

namespace tarvolin::test {

class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override { ui::openSettingsKey()->clear(); }

    // What the store holds under a full key path ("ComboHistory/PathHistory/PathHistory0").
    static QVariant stored(const QString& key) { return ui::openSettingsKey()->value(key); }
};

}  // namespace tarvolin::test
