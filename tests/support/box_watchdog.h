// For tests on a real display with the program's own prompter: a message box
// nobody clicks would hold the test in its modal loop until the time-out
// kills it, saying nothing. The watchdog closes any box that comes up and
// fails the test with the box's text instead.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace rm27::test {

class BoxWatchdog {
public:
    BoxWatchdog() {
        timer_.setInterval(100);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            ADD_FAILURE() << "a message box came up: \"" << box->text().toStdString() << "\"";
            box->reject();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

} // namespace rm27::test
