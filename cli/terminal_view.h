// The main window as a terminal sees it: the operations fill captions and
// lists that r27ctl prints afterwards; information boxes go to standard
// output, every other box to standard error; questions are answered by
// --yes, asked on an interactive terminal, or answered No; the text-input
// box and the file dialogs are answered from the command line.
#pragma once

#include <deque>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "session/main_view.h"
#include "session/prompter.h"

namespace rm27 {

// A box's text as a terminal line: a box breaks its lines with CR LF, a
// terminal and a file want LF.
std::string TerminalText(std::string text);

struct TerminalAnswers {
    bool yes = false;           // --yes: every question is answered Yes
    std::istream* in = nullptr; // where to ask when interactive
    bool interactive = false;   // standard input is a terminal
};

class TerminalView : public MainView, public Prompter {
public:
    // out: information boxes; err: every other box (and, with verbose, the
    // status lines).
    TerminalView(std::ostream& out, std::ostream& err, bool verbose, TerminalAnswers answers = {})
        : out_(out), err_(err), verbose_(verbose), answers_(answers) {}

    // The text a control shows; "" for one never set.
    std::string caption(const std::string& control) const;
    const std::vector<std::string>& rows(const std::string& control) const;
    int selectedRow(const std::string& control) const;
    std::uint32_t rowColour(int row) const;
    // Message boxes shown so far, in order.
    const std::vector<std::string>& messages() const { return messages_; }
    // What the operations put on the clipboard last.
    const std::string& clipboard() const { return clipboard_; }

    // The next answers of the input box and of the file dialogs; a box with
    // nothing left to answer is cancelled, as a user closing it would.
    void answerInputWith(const std::string& text) { inputAnswers_.push_back(text); }
    void answerFileWith(const std::string& path) { fileAnswers_.push_back(path); }

    // MainView
    // The language the texts are printed in; Czech until one is set.
    void setWording(Wording wording) { wording_ = std::move(wording); }
    std::string shown(const Text& text) const { return text.render(wording_); }

    void setStatus(const Text& text) override;
    void setCaption(const std::string& control, const Text& text) override;
    void setControlEnabled(const std::string&, bool) override {}
    void setControlVisible(const std::string&, bool) override {}
    void setInputRowColor(int row, std::uint32_t rgb) override { rowColours_[row] = rgb; }
    void setControlColor(const std::string&, std::uint32_t) override {}
    void setComboRows(const std::string& control, const std::vector<std::string>& rows,
                      int selected) override;
    void clearList(const std::string& control) override { lists_[control].clear(); }
    void addListItem(const std::string& control, const Text& text) override {
        lists_[control].push_back(shown(text));
    }
    // The timer is only a flag here: r27ctl runs the ticks itself.
    void setMeasurementTimer(bool enabled) override { timer_ = enabled; }
    bool measurementTimerEnabled() const override { return timer_; }

    // Prompter
    MessageAnswer message(const MessageBoxSpec& box) override;
    std::string inputBox(const Text& prompt, const Text& title,
                         const std::string& defaultText) override;
    bool showOpen(FileDialogSpec& dialog) override;
    bool showSave(FileDialogSpec& dialog) override;
    void clipboardClear() override { clipboard_.clear(); }
    void clipboardSetText(const std::string& text) override { clipboard_ = text; }

private:
    bool ask(const std::string& question);
    bool takeFile(FileDialogSpec& dialog);

    std::ostream& out_;
    std::ostream& err_;
    bool verbose_;
    TerminalAnswers answers_;
    std::map<std::string, std::string> captions_;
    std::map<std::string, std::vector<std::string>> lists_;
    std::map<std::string, int> selected_;
    std::map<int, std::uint32_t> rowColours_;
    std::vector<std::string> messages_;
    std::deque<std::string> inputAnswers_;
    std::deque<std::string> fileAnswers_;
    std::string clipboard_;
    bool timer_ = false;
    Wording wording_;
};

} // namespace rm27
