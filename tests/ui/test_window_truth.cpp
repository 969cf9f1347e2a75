// What the window shows must be what is: a box is never hidden behind a
// window kept on top.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include "support/qt_environment.h"
#include "ui/qt_prompter.h"
#include "ui/window_placement.h"

namespace rm27 {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_window_truth"));

// The window the next box, question or input box comes up in; the box is
// closed as soon as it shows.
class BoxParent {
public:
    void expectNext() {
        parent_ = nullptr;
        QTimer::singleShot(0, [this] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            parent_ = box->parentWidget();
            box->close();
        });
    }
    QWidget* parent() const { return parent_; }

private:
    QWidget* parent_ = nullptr;
};

TEST(WindowTruth, ABoxBelongsToTheWindowKeptOnTopWhicheverIsActive) {
    QMainWindow main;
    main.show();
    QMainWindow editor(&main);
    editor.setWindowFlag(Qt::Window, true);
    editor.show();
    SetTopmost(&editor, true);
    main.activateWindow();
    QtPrompter prompter(&main, QStringLiteral("RM-27/RMU Manager"));
    BoxParent box;

    box.expectNext();
    prompter.critical(Text::Value("Kalibrační list byl uložen"));
    EXPECT_EQ(box.parent(), &editor);
    box.expectNext();
    prompter.question(Text::Value("?"), MessageAnswer::No);
    EXPECT_EQ(box.parent(), &editor);
    box.expectNext();
    prompter.inputBox(Text::Value("Hodnota"), {}, "1");
    EXPECT_EQ(box.parent(), &editor);

    // Without a window on top the box is the main window's.
    SetTopmost(&editor, false);
    editor.hide();
    box.expectNext();
    prompter.critical(Text::Value("x"));
    EXPECT_EQ(box.parent(), &main);
}

} // namespace
} // namespace rm27
