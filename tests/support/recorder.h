// The user as the tests play it: a view that remembers what the operations
// showed, and a prompter that logs every box, input, file dialog and
// clipboard call in order and answers from a script, so no test ever waits
// on a dialog. A control name that the window does not have fails the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "session/controls.h"
#include "session/main_view.h"
#include "session/prompter.h"

namespace rm27::test {

struct PromptCall {
    enum Kind { Message, Input, Open, Save, ClipboardClear, ClipboardSet } kind = Message;
    std::string text; // box text, input prompt, dialog title, clipboard text
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    std::string title;                        // box or input title; "" = the program's
    std::string defaultText;                  // Input: the text offered
    FileDialogSpec dialog;                    // Open, Save: the dialog as it was asked for
    MessageAnswer answer = MessageAnswer::Ok; // Message: what the script answered
};

class Recorder : public MainView, public Prompter {
public:
    // ---- what the view was told
    std::vector<std::string> statuses;
    // When each status was shown, on `now` (the rig's virtual clock).
    std::vector<std::int64_t> statusTimes;
    std::function<std::int64_t()> now;
    std::map<std::string, std::string> captions;
    std::vector<std::pair<std::string, std::string>> captionLog;
    std::map<std::string, bool> enabled;
    std::map<std::string, bool> visible;
    std::map<std::string, std::uint32_t> colours;
    std::map<int, std::uint32_t> rowColours;
    std::map<std::string, std::vector<std::string>> rows;
    std::map<std::string, int> selected;
    // The reason each control's value was last said to be uncertain; ""
    // once it was said to be certain again.
    std::map<std::string, std::string> doubts;
    // What each input was last said to show of a tare ("" for none).
    std::map<int, std::string> tares;
    bool timer = false;

    // ---- what the prompter was asked, in order
    std::vector<PromptCall> calls;
    std::vector<std::string> criticals; // texts of the critical boxes
    std::vector<std::string> prompts;   // texts of the input prompts

    // ---- the script. Yes/No boxes take the next answer, or their default
    // button when the script has run out; inputs "" and file dialogs are
    // cancelled when theirs has.
    std::deque<MessageAnswer> answers;
    std::deque<std::string> inputAnswers;
    std::deque<std::string> fileAnswers;
    // Boxes with choices of their own take the next index (-1: closed).
    std::deque<int> choices;
    // Tables to pick a row from: what each showed (rows in Czech), and the
    // next answer (kPickOther, "another file", when none is scripted).
    std::vector<std::vector<std::vector<std::string>>> tables;
    std::deque<int> picks;
    // Runs while a box, input or file dialog is "open", as the user's
    // clicks would.
    std::function<void()> whileOpen;

    std::string caption(const std::string& c) const {
        const auto it = captions.find(c);
        return it == captions.end() ? std::string() : it->second;
    }
    bool everShown(const std::string& c, const std::string& text) const {
        for (const auto& [name, value] : captionLog) {
            if (name == c && value == text) return true;
        }
        return false;
    }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> out;
        for (const PromptCall& c : calls) {
            if (c.kind == PromptCall::Message) out.push_back(c.text);
        }
        return out;
    }

    // MainView
    void setStatus(const Text& text) override {
        statuses.push_back(text.czech());
        statusTimes.push_back(now ? now() : 0);
    }
    // Time of the first status with this text; -1 when never shown.
    std::int64_t timeOfStatus(const std::string& text) const {
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            if (statuses[i] == text) return statusTimes[i];
        }
        return -1;
    }
    void setCaption(const std::string& c, const Text& text) override {
        known(c);
        captions[c] = text.czech();
        captionLog.emplace_back(c, captions[c]);
    }
    void setTare(int input, const Text& note) override { tares[input] = note.czech(); }
    void setDoubt(const std::string& c, const Text& why) override {
        doubts[known(c)] = why.czech();
    }
    std::string doubt(const std::string& c) const {
        const auto it = doubts.find(c);
        return it == doubts.end() ? std::string() : it->second;
    }
    void setControlEnabled(const std::string& c, bool on) override { enabled[known(c)] = on; }
    void setControlVisible(const std::string& c, bool on) override { visible[known(c)] = on; }
    void setInputRowColor(int row, std::uint32_t rgb) override { rowColours[row] = rgb; }
    void setMeasurementTimer(bool on) override { timer = on; }
    bool measurementTimerEnabled() const override { return timer; }
    void setControlColor(const std::string& c, std::uint32_t rgb) override {
        colours[known(c)] = rgb;
    }
    void setComboRows(const std::string& c, const std::vector<std::string>& r, int sel) override {
        rows[known(c)] = r;
        selected[c] = sel;
    }
    void clearList(const std::string& c) override { rows[known(c)].clear(); }
    void addListItem(const std::string& c, const Text& text) override {
        rows[known(c)].push_back(text.czech());
    }

    // Prompter
    MessageAnswer message(const MessageBoxSpec& box) override {
        PromptCall call;
        call.kind = PromptCall::Message;
        call.text = box.text.czech();
        call.icon = box.icon;
        call.buttons = box.buttons;
        call.defaultButton = box.defaultButton;
        call.title = box.title.czech();
        if (box.buttons == MessageButtons::YesNo) {
            call.answer =
                box.defaultButton == MessageAnswer::Ok ? MessageAnswer::Yes : box.defaultButton;
            if (!answers.empty()) {
                call.answer = answers.front();
                answers.pop_front();
            }
        }
        if (box.icon == MessageIcon::Critical) criticals.push_back(call.text);
        calls.push_back(call);
        if (whileOpen) whileOpen();
        return call.answer;
    }
    int choose(const MessageBoxSpec& box, const std::vector<Text>&) override {
        message(box);
        if (choices.empty()) return -1;
        const int c = choices.front();
        choices.pop_front();
        return c;
    }
    int pickRow(const Text&, const std::vector<Text>&, const std::vector<std::vector<Text>>& table,
                const Text&) override {
        std::vector<std::vector<std::string>> shown;
        for (const auto& row : table) {
            shown.emplace_back();
            for (const Text& cell : row)
                shown.back().push_back(cell.czech());
        }
        tables.push_back(shown);
        if (picks.empty()) return kPickOther;
        const int p = picks.front();
        picks.pop_front();
        return p;
    }
    std::string inputBox(const Text& prompt, const Text& title,
                         const std::string& defaultText) override {
        PromptCall call;
        call.kind = PromptCall::Input;
        call.text = prompt.czech();
        call.title = title.czech();
        call.defaultText = defaultText;
        calls.push_back(call);
        prompts.push_back(call.text);
        if (whileOpen) whileOpen();
        if (inputAnswers.empty()) return "";
        std::string a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    bool showOpen(FileDialogSpec& dialog) override { return file(PromptCall::Open, dialog); }
    bool showSave(FileDialogSpec& dialog) override { return file(PromptCall::Save, dialog); }
    void clipboardClear() override {
        PromptCall call;
        call.kind = PromptCall::ClipboardClear;
        calls.push_back(call);
        clipboard.clear();
    }
    void clipboardSetText(const std::string& text) override {
        PromptCall call;
        call.kind = PromptCall::ClipboardSet;
        call.text = text;
        calls.push_back(call);
        clipboard = text;
    }
    std::string clipboard;

private:
    const std::string& known(const std::string& c) {
        if (!ctl::IsKnown(c)) ADD_FAILURE() << "no control of the main window is called " << c;
        return c;
    }
    bool file(PromptCall::Kind kind, FileDialogSpec& dialog) {
        PromptCall call;
        call.kind = kind;
        call.text = dialog.title;
        call.dialog = dialog;
        calls.push_back(call);
        if (whileOpen) whileOpen();
        if (fileAnswers.empty()) return false;
        dialog.fileName = fileAnswers.front();
        fileAnswers.pop_front();
        return true;
    }
};

} // namespace rm27::test
