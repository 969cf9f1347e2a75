#include "watch/csv_log.h"

#include <cstring>

namespace rm27 {

std::string CsvLog::start(const std::string& path, const WatchHeader& header,
                          const CsvDialect& dialect) {
    stop();
    stop_ = LogStop::None;
    failure_.clear();
    rows_ = 0;
    path_ = path;
    header_ = header;
    dialect_ = dialect;
    if (std::string why = file_.create(path); !why.empty()) return why;
    if (!file_.write(CsvHeader(header, LogColumns(), dialect))) return std::strerror(file_.error());
    return {};
}

bool CsvLog::record(const TickSample& sample) {
    if (!active() || !sample.answered) return true;
    if (!(sample.header == header_)) {
        fail(LogStop::HeaderChanged,
             "převodník byl načten znovu a jeho vstupy jsou popsány jinak než v hlavičce záznamu");
        return false;
    }
    // Better said at once than written on into nothing.
    if (!file_.stillThere()) {
        fail(LogStop::Vanished, VanishedText());
        return false;
    }
    if (!file_.write(CsvLogRow(sample, dialect_))) {
        fail(LogStop::WriteFailed, std::strerror(file_.error()));
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

void CsvLog::fail(LogStop why, const std::string& text) {
    file_.close();
    stop_ = why;
    failure_ = text;
}

} // namespace rm27
