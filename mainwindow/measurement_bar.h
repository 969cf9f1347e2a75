// The status bar's account of the live measurement: whether values come
// and when the last one came, why none come, the command it offers ("Spustit
// měření", or "Přerušit" for a command that only reads), the values shown
// as stale once no answer has refreshed them for a while, and what the last
// write came to.
#pragma once

#include <QObject>

#include <functional>

#include "l10n/text.h"
#include "session/measurement_status.h"

class QAction;
class QLabel;
class QMainWindow;
class QPushButton;
class QTimer;

namespace rm27 {

class MeasurementBar : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<MeasurementFacts()> facts;
        // Whether the values shown are live now.
        std::function<bool()> fresh;
        // Shows the values stale, with why (an empty text: live again).
        std::function<void(const Text&)> showStale;
        // "Přerušit".
        std::function<void()> cancel;
        // Whether "Spustit měření" may be chosen now.
        std::function<void(bool)> offerStart;
    };
    // start: the window's "Spustit měření", which the bar's button triggers.
    MeasurementBar(QMainWindow& window, QAction& start, Hooks hooks);

    // Says again what the measurement does: after a tick, a command, a
    // change of the port.
    void refresh();
    // A tick decoded an answer: live for kStaleAfterMs from now.
    void answered();
    // The write running, or what the last one came to, until the next.
    void confirm(const Text& text);
    // The stale timer ran out (the tests call it).
    void staleTimeout() { refresh(); }

private:
    void offerClicked();

    QAction& start_;
    Hooks hooks_;
    QLabel* label_ = nullptr;     // lblMereni
    QPushButton* button_ = nullptr; // cmdMereni
    QLabel* written_ = nullptr;   // lblZapsano
    QTimer* stale_ = nullptr;     // tmrStale
    MeasurementOffer offer_ = MeasurementOffer::None;
};

} // namespace rm27
