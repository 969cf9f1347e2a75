#include "cli/terminal_view.h"

namespace rm27 {

std::string TerminalView::caption(const std::string& control) const {
    const auto it = captions_.find(control);
    return it == captions_.end() ? std::string() : it->second;
}

int TerminalView::captionWrites(const std::string& control) const {
    const auto it = writes_.find(control);
    return it == writes_.end() ? 0 : it->second;
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

void TerminalView::setStatus(const std::string& text) {
    if (verbose_) err_ << text << std::endl;
}

void TerminalView::setCaption(const std::string& control, const std::string& text) {
    captions_[control] = text;
    ++writes_[control];
}

void TerminalView::setComboRows(const std::string& control, const std::vector<std::string>& rows,
                                int selected) {
    lists_[control] = rows;
    selected_[control] = selected;
}

void TerminalView::critical(const std::string& text) {
    messages_.push_back(text);
    err_ << text << std::endl;
}

void TerminalView::information(const std::string& text) {
    messages_.push_back(text);
    err_ << text << std::endl;
}

bool TerminalView::question(const std::string& text) {
    err_ << text << " (No)" << std::endl;
    return false;
}

std::string TerminalView::inputBox(const std::string& prompt, const std::string&,
                                   const std::string&) {
    if (verbose_) err_ << prompt << std::endl;
    if (inputAnswers_.empty()) return "";
    std::string answer = inputAnswers_.front();
    inputAnswers_.pop_front();
    return answer;
}

} // namespace rm27
