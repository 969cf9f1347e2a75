// A headless QApplication for a whole test program, with settings in a
// temporary folder so that no test reads or writes the user's own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace rm27::test {

class QtEnvironment : public ::testing::Environment {
public:
    explicit QtEnvironment(const char* programName) : name_(programName) {}

    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char* argv[] = {const_cast<char*>(name_), nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        dir_ = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_->path());
    }
    void TearDown() override {
        dir_.reset();
        app_.reset();
    }

private:
    const char* name_;
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QTemporaryDir> dir_;
};

} // namespace rm27::test
