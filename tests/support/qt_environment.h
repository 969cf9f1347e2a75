// A headless QApplication for a whole test program, with settings and the
// user's data folder in a temporary folder, so that no test reads or writes
// the user's own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>

#include <memory>

namespace rm27::test {

class QtEnvironment : public ::testing::Environment {
public:
    // The offscreen platform's own screen is 800 x 800, narrower than the
    // main window: window tests that maximise or measure against the screen
    // ask for a desktop-sized one.
    explicit QtEnvironment(const char* programName, QSize screen = {})
        : name_(programName), screen_(screen) {}

    void SetUp() override {
        dir_ = std::make_unique<QTemporaryDir>();
        QByteArray platform = "offscreen";
        if (screen_.isValid()) {
            QFile config(dir_->filePath(QStringLiteral("screen.json")));
            ASSERT_TRUE(config.open(QIODevice::WriteOnly));
            config.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, )"
                                        R"("width": %1, "height": %2, "logicalDpi": 96, )"
                                        R"("logicalBaseDpi": 96, "dpr": 1}]})")
                             .arg(screen_.width())
                             .arg(screen_.height())
                             .toUtf8());
            config.close();
            platform += ":configfile=" + QFile::encodeName(config.fileName());
        }
        qputenv("QT_QPA_PLATFORM", platform);
        // The programs the tests start choose their language from the
        // locale: Czech, whatever language this machine speaks.
        qputenv("LC_ALL", "C.UTF-8");
        // The user's data folder too (eKey backups): never the real one.
        qputenv("XDG_DATA_HOME", dir_->filePath(QStringLiteral("data")).toLocal8Bit());
        static int argc = 1;
        static char* argv[] = {const_cast<char*>(name_), nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_->path());
    }
    void TearDown() override {
        dir_.reset();
        app_.reset();
    }

private:
    const char* name_;
    QSize screen_;
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QTemporaryDir> dir_;
};

} // namespace rm27::test
