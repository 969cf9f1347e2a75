#include "l10n/text.h"

namespace rm27 {

Text Text::Value(std::string shown) {
    Text t;
    t.value_ = std::move(shown);
    return t;
}

Text& Text::then(Text next) {
    more_.push_back(std::move(next));
    joints_.push_back(Joint::Paragraph);
    return *this;
}

Text& Text::join(Text next, Joint joint) {
    if (next.empty()) return *this;
    if (empty()) return *this = std::move(next);
    more_.push_back(std::move(next));
    joints_.push_back(joint);
    return *this;
}

bool Text::empty() const {
    return id_ == nullptr && value_.empty() && more_.empty();
}

std::string FillWording(const std::string& wording, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(wording.size());
    for (std::size_t i = 0; i < wording.size(); ++i) {
        const char c = wording[i];
        const char next = i + 1 < wording.size() ? wording[i + 1] : '\0';
        if (c == '%' && next >= '1' && next <= '9') {
            const auto n = static_cast<std::size_t>(next - '1');
            if (n < args.size()) out += args[n];
            ++i;
            continue;
        }
        out += c;
    }
    return out;
}

std::string Text::render(const Wording& wording) const {
    std::string out;
    if (id_ != nullptr) {
        std::vector<std::string> filled;
        filled.reserve(args_.size());
        for (const TextArg& a : args_)
            filled.push_back(a.text() != nullptr ? a.text()->render(wording) : a.value());
        out = FillWording(wording ? wording(id_->czech) : std::string(id_->czech), filled);
    } else {
        out = value_;
    }
    for (std::size_t i = 0; i < more_.size(); ++i) {
        switch (joints_[i]) {
        case Joint::Paragraph:
            out += "\r\n";
            break;
        case Joint::LineBreak:
            out += '\n';
            break;
        case Joint::Space:
            out += ' ';
            break;
        }
        out += more_[i].render(wording);
    }
    return out;
}

} // namespace rm27
