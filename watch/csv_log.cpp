#include "watch/csv_log.h"

#include <cstring>

#include "watch/texts.h"

namespace rm27 {

namespace {

bool DiffersInTaresOnly(WatchHeader a, const WatchHeader& b) {
    a.tare = b.tare;
    return a == b;
}

} // namespace

Text CsvLog::start(const std::string& path, const WatchHeader& header, const CsvDialect& dialect) {
    stop();
    stop_ = LogStop::None;
    failure_ = Text();
    rows_ = 0;
    path_ = path;
    header_ = header;
    dialect_ = dialect;
    if (std::string why = file_.create(path); !why.empty()) return Text::Value(why);
    if (!file_.write(CsvHeader(header, LogColumns(), dialect)))
        return Text::Value(std::strerror(file_.error()));
    return {};
}

bool CsvLog::record(const TickSample& sample) {
    if (!active() || !sample.answered) return true;
    if (!(sample.header == header_)) {
        // The header states each tare: values less another one would not
        // be what it says.
        fail(LogStop::HeaderChanged,
             Text(DiffersInTaresOnly(sample.header, header_) ? texts::watch::kTareChanged
                                                             : texts::watch::kHeaderChanged));
        return false;
    }
    // Better said at once than written on into nothing.
    if (!file_.stillThere()) {
        fail(LogStop::Vanished, Text(texts::watch::kFileVanished));
        return false;
    }
    if (!file_.write(CsvLogRow(sample, dialect_))) {
        fail(LogStop::WriteFailed, Text::Value(std::strerror(file_.error())));
        return false;
    }
    ++rows_;
    return true;
}

void CsvLog::stop() {
    if (!active()) return;
    file_.close();
    stop_ = LogStop::ByUser;
}

void CsvLog::fail(LogStop why, Text text) {
    file_.close();
    stop_ = why;
    failure_ = std::move(text);
}

} // namespace rm27
