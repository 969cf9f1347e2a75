#include "watch/ui/wire_tap.h"

#include <QLoggingCategory>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "ui/qt_serial_line.h"

namespace rm27 {

namespace {

struct TapState {
    std::mutex mutex;
    std::map<int, WireTap::Listener> listeners;
    int nextId = 1;
    bool installed = false;
    QtMessageHandler previousHandler = nullptr;
    QLoggingCategory::CategoryFilter previousFilter = nullptr;
    // Read by the category filter, which Qt may run with its own lock held.
    std::atomic<bool> tapping{false};
    // What the logging rules say of the category by themselves: on when
    // the user asked for the frames on standard error.
    std::atomic<bool> userWants{false};
};

TapState& State() {
    static TapState state;
    return state;
}

// By name: the filter below runs with Qt's category registry locked, where
// touching lcWire() for the first time would wait for that lock forever.
constexpr char kWireCategory[] = "rm27.wire";

bool IsWire(const char* category) {
    return category != nullptr && std::strcmp(category, kWireCategory) == 0;
}

void Filter(QLoggingCategory* category) {
    TapState& s = State();
    if (s.previousFilter != nullptr) s.previousFilter(category);
    if (!IsWire(category->categoryName())) return;
    s.userWants = category->isDebugEnabled();
    if (s.tapping) category->setEnabled(QtDebugMsg, true);
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    TapState& s = State();
    if (IsWire(context.category) && type == QtDebugMsg) {
        {
            const std::lock_guard<std::mutex> lock(s.mutex);
            for (const auto& [id, listener] : s.listeners)
                listener(message);
        }
        if (!s.userWants) return;
    }
    if (s.previousHandler != nullptr) s.previousHandler(type, context, message);
}

// Runs the filter over every category again, so that the tap's wish and the
// user's rules are applied afresh.
void Refilter(TapState& s) {
    const QLoggingCategory::CategoryFilter before = QLoggingCategory::installFilter(Filter);
    if (before != Filter) s.previousFilter = before;
}

} // namespace

int WireTap::subscribe(Listener listener) {
    TapState& s = State();
    int id = 0;
    bool first = false;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.installed) {
            s.installed = true;
            s.previousHandler = qInstallMessageHandler(Handler);
        }
        first = s.listeners.empty();
        id = s.nextId++;
        s.listeners.emplace(id, std::move(listener));
    }
    if (first) {
        s.tapping = true;
        Refilter(s);
    }
    Q_ASSERT(std::strcmp(lcWire().categoryName(), kWireCategory) == 0);
    return id;
}

void WireTap::unsubscribe(int id) {
    TapState& s = State();
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (s.listeners.erase(id) == 0 || !s.listeners.empty()) return;
    }
    s.tapping = false;
    Refilter(s);
}

int WireTap::listenerCount() {
    TapState& s = State();
    const std::lock_guard<std::mutex> lock(s.mutex);
    return static_cast<int>(s.listeners.size());
}

} // namespace rm27
