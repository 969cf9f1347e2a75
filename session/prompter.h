// How an operation talks to the user: message boxes, the text-input box,
// the open-file and save-file dialogs, and the clipboard. The window shows
// real dialogs, the command-line tool asks on the terminal, and the tests
// answer from a script; the operations cannot tell which.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "l10n/text.h"

namespace rm27 {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageBoxSpec {
    Text text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The button a bare Enter presses: Ok for a box with OK only.
    MessageAnswer defaultButton = MessageAnswer::Ok;
    // Empty: the program's title, as every box of the program carries.
    Text title;
};

// A file dialog's settings, kept between runs where a window presets them
// once. Filter: pairs of display text and pattern separated by "|"
// ("Soubory  (*.eep)|*.eep|Všechny |*.*"); filterIndex counts from 1.
struct FileDialogSpec {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string defaultExt; // with its dot: ".eep"
    std::string initDir;    // empty: the current folder
    // objectName of the window that owns the dialog; empty: the main window.
    std::string owner;
    // Preset name on the way in; after a choice, the chosen path.
    std::string fileName;
};

// The file dialogs the operations open, preset by the front end at
// start-up and reused, so that they remember the folder and filter chosen.
struct DialogPresets {
    FileDialogSpec eeprom;     // the EEPROM image files to load
    FileDialogSpec eepromSave; // a converter's memory kept in one
    FileDialogSpec restore;    // the eKey backups
};

class Prompter {
public:
    virtual ~Prompter() = default;

    virtual MessageAnswer message(const MessageBoxSpec& box) = 0;
    // The text the user typed, or "" when the box was cancelled.
    virtual std::string inputBox(const Text& prompt, const Text& title,
                                 const std::string& defaultText) = 0;
    // True when a file was chosen: dialog.fileName then holds its path and
    // dialog.filterIndex the filter the user had selected. False when
    // cancelled (dialog unchanged).
    virtual bool showOpen(FileDialogSpec& dialog) = 0;
    virtual bool showSave(FileDialogSpec& dialog) = 0;
    virtual void clipboardClear() = 0;
    virtual void clipboardSetText(const std::string& text) = 0;
    // A box whose buttons are `choices` (texts of the program) and one that
    // closes it: the index of the choice taken, -1 when it was closed. A
    // user who cannot be offered buttons sees the text and takes none.
    virtual int choose(const MessageBoxSpec& box, const std::vector<Text>& choices) {
        (void)choices;
        message(box);
        return -1;
    }

    // A table to choose one row from: `headings` over `rows` (values shown
    // as they stand), and a button `other` that asks for a file instead.
    // The row's index, kPickOther for that button, -1 when closed. A user
    // who cannot be shown a table is asked for the file.
    static constexpr int kPickOther = -2;
    virtual int pickRow(const Text& title, const std::vector<Text>& headings,
                        const std::vector<std::vector<Text>>& rows, const Text& other) {
        (void)title, (void)headings, (void)rows, (void)other;
        return kPickOther;
    }

    // The boxes the operations use most.
    void critical(const Text& text) { message(Box(text, MessageIcon::Critical)); }
    void information(const Text& text) { message(Box(text, MessageIcon::Information)); }
    // OK only, no icon.
    void plain(const Text& text) { message(Box(text, MessageIcon::None)); }
    // Yes/No with the question icon; true for Yes.
    bool question(const Text& text, MessageAnswer defaultButton = MessageAnswer::Yes) {
        return message(Box(text, MessageIcon::Question, MessageButtons::YesNo, defaultButton)) ==
               MessageAnswer::Yes;
    }

    static MessageBoxSpec Box(Text text, MessageIcon icon,
                              MessageButtons buttons = MessageButtons::Ok,
                              MessageAnswer defaultButton = MessageAnswer::Ok) {
        MessageBoxSpec box;
        box.text = std::move(text);
        box.icon = icon;
        box.buttons = buttons;
        box.defaultButton = defaultButton;
        return box;
    }
};

} // namespace rm27
