// A text the program shows, held by identity until someone shows it: the
// operations say *what* to tell the user (a wording and its arguments), the
// window and r27ctl decide *in which language*. Values (sensor descriptions,
// units, identifiers, numbers, paths) travel as arguments and are never
// translated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// lupdate reads the marks in the */texts.h headers; the compiler sees the
// plain wording.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace rm27 {

// The identity of one wording: its Czech, with %1 .. %9 where the arguments
// go. The Linguist catalogue keys its English by this Czech (context
// "Texts"). Each area declares its wordings in its texts.h.
struct TextId {
    const char* czech;
};

class Text;

// One argument of a wording: a value, shown as it stands in every language,
// or another text of the program, shown in the reader's language.
class TextArg {
public:
    TextArg(std::string value) : value_(std::move(value)) {}
    TextArg(const char* value) : value_(value) {}
    TextArg(int number) : value_(std::to_string(number)) {}
    TextArg(long number) : value_(std::to_string(number)) {}
    TextArg(long long number) : value_(std::to_string(number)) {}
    TextArg(unsigned number) : value_(std::to_string(number)) {}
    TextArg(unsigned long number) : value_(std::to_string(number)) {}
    TextArg(unsigned long long number) : value_(std::to_string(number)) {}
    TextArg(const Text& text);

    const std::string& value() const { return value_; }
    const Text* text() const { return text_.get(); }

private:
    std::string value_;
    std::shared_ptr<const Text> text_;
};

// How the program's own wordings reach the reader: given a wording's Czech,
// its wording in the reader's language. Empty keeps Czech.
using Wording = std::function<std::string(const char* czech)>;

// What stands between a text and the one joined after it.
enum class Joint {
    Paragraph, // "\r\n": a message's next paragraph
    LineBreak, // "\n": the next line of one tool tip
    Space,     // " ": the next sentence of one status line
};

class Text {
public:
    // Nothing to show.
    Text() = default;
    template <class... Args>
    Text(const TextId& id, Args&&... args)
        : id_(&id), args_{TextArg(std::forward<Args>(args))...} {}
    // A value the program shows as it stands, in every language: a sensor's
    // description, a number, an identifier.
    static Text Value(std::string shown);

    // Appends a line under this one (a message's next paragraph); an empty
    // text adds an empty line.
    Text& then(Text next);
    // Appends next after `joint`, leaving out what is empty: an empty text
    // becomes next, an empty next changes nothing.
    Text& join(Text next, Joint joint);

    bool empty() const;

    // In the reader's language; lines are joined by "\r\n".
    std::string render(const Wording& wording) const;
    // In Czech: what the journal, the tests and a Czech reader see.
    std::string czech() const { return render({}); }

private:
    const TextId* id_ = nullptr;
    std::vector<TextArg> args_;
    std::string value_; // a value's text
    // What follows, each after its joint.
    std::vector<Text> more_;
    std::vector<Joint> joints_;
};

inline TextArg::TextArg(const Text& text) : text_(std::make_shared<const Text>(text)) {}

// Fills %1 .. %9 of a wording in one pass: an argument that itself holds
// "%2" is not filled again. A % before anything else stays as it is.
std::string FillWording(const std::string& wording, const std::vector<std::string>& args);

} // namespace rm27
