#include "session/operations.h"

#include <chrono>

namespace rm27 {

SystemRandom::SystemRandom()
    : engine_(
          static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
}

double SystemRandom::uniform01() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

bool ReadingAfter(Operations& ops, const std::function<void(Operations&)>& sequence,
                  const std::function<bool(Operations&, std::int32_t&)>& plainRead) {
    const auto own = ops.readConverter;
    bool read = false;
    ops.readConverter = [&](std::int32_t& address) {
        read = own ? own(address) : plainRead(ops, address);
        return read;
    };
    sequence(ops);
    ops.readConverter = own;
    return read;
}

MessageAnswer CancellablePrompter::message(const MessageBoxSpec& box) {
    if (guard_.cancelled())
        return box.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    return inner_.message(box);
}

std::string CancellablePrompter::inputBox(const Text& prompt, const Text& title,
                                          const std::string& defaultText) {
    return guard_.cancelled() ? std::string() : inner_.inputBox(prompt, title, defaultText);
}

bool CancellablePrompter::showOpen(FileDialogSpec& dialog) {
    return !guard_.cancelled() && inner_.showOpen(dialog);
}

bool CancellablePrompter::showSave(FileDialogSpec& dialog) {
    return !guard_.cancelled() && inner_.showSave(dialog);
}

void CancellablePrompter::clipboardClear() {
    if (!guard_.cancelled()) inner_.clipboardClear();
}

void CancellablePrompter::clipboardSetText(const std::string& text) {
    if (!guard_.cancelled()) inner_.clipboardSetText(text);
}

int CancellablePrompter::choose(const MessageBoxSpec& box, const std::vector<Text>& choices) {
    return guard_.cancelled() ? -1 : inner_.choose(box, choices);
}

int CancellablePrompter::pickRow(const Text& title, const std::vector<Text>& headings,
                                 const std::vector<std::vector<Text>>& rows, const Text& other) {
    return guard_.cancelled() ? -1 : inner_.pickRow(title, headings, rows, other);
}

Session::Session(SerialLine& line, EventPump& pump, MainView& view, Prompter& prompter,
                 WallClock* clock, RandomSource* random)
    : guard_(pump), port_{line, pump, &guard_.token()},
      prompter_(prompter, guard_), ops_{port_,
                                        state_,
                                        live_,
                                        cache_,
                                        view,
                                        prompter_,
                                        clock != nullptr ? *clock : systemClock_,
                                        random != nullptr ? *random : systemRandom_,
                                        guard_} {
    ops_.journal = &journal_;
    ops_.dialogs = &dialogs_;
    port_.mayExchange = [this] { return guard_.mayExchange(); };
}

bool Session::run(const std::function<void(Operations&)>& fn) {
    return guard_.run([&] { fn(ops_); });
}

} // namespace rm27
