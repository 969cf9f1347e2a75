// The main window as a terminal sees it: the operations fill captions and
// lists that r27ctl prints afterwards, their message boxes go to stderr,
// and the text-input box is answered from the command line.
#pragma once

#include <deque>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "reading/main_view.h"

namespace rm27 {

class TerminalView : public MainView, public Prompter {
public:
    // err: where the message boxes (and with verbose the status lines) go.
    TerminalView(std::ostream& err, bool verbose) : err_(err), verbose_(verbose) {}

    // The text a control shows; "" for one never set.
    std::string caption(const std::string& control) const;
    // How often a caption was set: a tick that decoded nothing leaves the
    // value captions untouched, and a closed line leaves every one alone.
    int captionWrites(const std::string& control) const;
    const std::vector<std::string>& rows(const std::string& control) const;
    int selectedRow(const std::string& control) const;
    std::uint32_t rowColour(int row) const;
    // Message boxes shown so far (critical and information).
    const std::vector<std::string>& messages() const { return messages_; }

    // The next answers of the input box; a box with nothing left to answer
    // is cancelled, as a user closing it would.
    void answerInputWith(const std::string& text) { inputAnswers_.push_back(text); }

    // MainView
    void setStatus(const std::string& text) override;
    void setCaption(const std::string& control, const std::string& text) override;
    void setControlEnabled(const std::string&, bool) override {}
    void setControlVisible(const std::string&, bool) override {}
    void setInputRowColor(int row, std::uint32_t rgb) override { rowColours_[row] = rgb; }
    void setControlColor(const std::string&, std::uint32_t) override {}
    void setComboRows(const std::string& control, const std::vector<std::string>& rows,
                      int selected) override;
    void clearList(const std::string& control) override { lists_[control].clear(); }
    void addListItem(const std::string& control, const std::string& text) override {
        lists_[control].push_back(text);
    }
    // The timer is only a flag here: r27ctl runs the ticks itself.
    void setMeasurementTimer(bool enabled) override { timer_ = enabled; }
    bool measurementTimerEnabled() const override { return timer_; }

    // Prompter
    void critical(const std::string& text) override;
    void information(const std::string& text) override;
    // Nothing the terminal runs asks a question; should one come, No is the
    // answer that changes nothing.
    bool question(const std::string& text) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;

private:
    std::ostream& err_;
    bool verbose_;
    std::map<std::string, std::string> captions_;
    std::map<std::string, int> writes_;
    std::map<std::string, std::vector<std::string>> lists_;
    std::map<std::string, int> selected_;
    std::map<int, std::uint32_t> rowColours_;
    std::vector<std::string> messages_;
    std::deque<std::string> inputAnswers_;
    bool timer_ = false;
};

} // namespace rm27
