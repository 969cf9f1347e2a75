// The main of a test program that runs on a real display (under Xvfb):
// settings go to a folder of the test's own, never the user's.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace rm27::test {

inline int RunOnDisplay(int argc, char** argv) {
    QTemporaryDir config;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace rm27::test
