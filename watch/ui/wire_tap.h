// A tap on the serial line's frame log (the "rm27.wire" logging category)
// for the windows that show the frames. While anyone listens, the category
// is on and every message of it goes to the listeners; it reaches standard
// error as well only when the user asked for that (--log-frames or the
// logging rules). Other categories pass through untouched.
#pragma once

#include <QString>

#include <functional>

namespace rm27 {

class WireTap {
public:
    using Listener = std::function<void(const QString& message)>;
    // The listener may be called from any thread that logs; it must only
    // queue the message. Returns an id for unsubscribe().
    static int subscribe(Listener listener);
    static void unsubscribe(int id);
    static int listenerCount();
};

} // namespace rm27
