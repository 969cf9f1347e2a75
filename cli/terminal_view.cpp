#include "cli/terminal_view.h"

#include "session/controls.h"

namespace rm27 {

std::string TerminalView::caption(const std::string& control) const {
    const auto it = captions_.find(control);
    return it == captions_.end() ? std::string() : it->second;
}

const std::vector<std::string>& TerminalView::rows(const std::string& control) const {
    static const std::vector<std::string> kNone;
    const auto it = lists_.find(control);
    return it == lists_.end() ? kNone : it->second;
}

int TerminalView::selectedRow(const std::string& control) const {
    const auto it = selected_.find(control);
    return it == selected_.end() ? -1 : it->second;
}

std::uint32_t TerminalView::rowColour(int row) const {
    const auto it = rowColours_.find(row);
    return it == rowColours_.end() ? kRgbWhite : it->second;
}

void TerminalView::setStatus(const Text& text) {
    if (verbose_) err_ << shown(text) << std::endl;
}

void TerminalView::setCaption(const std::string& control, const Text& text) {
    captions_[ctl::Checked(control)] = shown(text);
}

void TerminalView::setComboRows(const std::string& control, const std::vector<std::string>& rows,
                                int selected) {
    lists_[ctl::Checked(control)] = rows;
    selected_[control] = selected;
}

bool TerminalView::ask(const std::string& question) {
    if (answers_.yes) {
        err_ << question << " (--yes: Yes)" << std::endl;
        return true;
    }
    if (!answers_.interactive || answers_.in == nullptr) {
        err_ << question << " (No: no terminal to ask; --yes answers Yes)" << std::endl;
        return false;
    }
    err_ << question << " [y/N] " << std::flush;
    std::string line;
    if (!std::getline(*answers_.in, line)) return false;
    const auto first = line.find_first_not_of(" \t");
    // "a" for "ano": the questions are in Czech.
    return first != std::string::npos &&
           (line[first] == 'y' || line[first] == 'Y' || line[first] == 'a' || line[first] == 'A');
}

std::string TerminalText(std::string text) {
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

MessageAnswer TerminalView::message(const MessageBoxSpec& box) {
    messages_.push_back(shown(box.text));
    // The line the text may end with is the one printed after it.
    std::string text = TerminalText(messages_.back());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (box.buttons == MessageButtons::YesNo)
        return ask(text) ? MessageAnswer::Yes : MessageAnswer::No;
    (box.icon == MessageIcon::Information ? out_ : err_) << text << std::endl;
    return MessageAnswer::Ok;
}

std::string TerminalView::inputBox(const Text& prompt, const Text&, const std::string&) {
    if (verbose_) err_ << shown(prompt) << std::endl;
    if (inputAnswers_.empty()) return "";
    std::string answer = inputAnswers_.front();
    inputAnswers_.pop_front();
    return answer;
}

bool TerminalView::takeFile(FileDialogSpec& dialog) {
    if (fileAnswers_.empty()) return false;
    dialog.fileName = fileAnswers_.front();
    fileAnswers_.pop_front();
    return true;
}

bool TerminalView::showOpen(FileDialogSpec& dialog) {
    return takeFile(dialog);
}

bool TerminalView::showSave(FileDialogSpec& dialog) {
    return takeFile(dialog);
}

} // namespace rm27
