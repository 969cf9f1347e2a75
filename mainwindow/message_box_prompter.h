// The window's message boxes and text-input box.
#pragma once

#include <QString>

#include "reading/main_view.h"

class QWidget;

namespace rm27 {

class MessageBoxPrompter final : public Prompter {
public:
    MessageBoxPrompter(QWidget* owner, QString title) : owner_(owner), title_(std::move(title)) {}

    void critical(const std::string& text) override;
    void information(const std::string& text) override;
    bool question(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;

private:
    QWidget* owner_;
    QString title_;
};

} // namespace rm27
