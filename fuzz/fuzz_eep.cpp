// The .eep parser: a file is refused at a line that exists and is not of
// the form "LL VV", or for more value lines than a load may write, or read
// whole; what it reads, written out again, reads back the same.
#include "fuzz/oracle.h"
#include "maintenance/eeprom_file.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text = rm27::fuzz::Text(data, size);
    const rm27::EepParse parsed = rm27::ParseEep(text);
    if (parsed.tooManyLines) {
        FUZZ_CHECK(parsed.bytes.empty() && text.size() > 5u * rm27::kMaxEepLines,
                   "%zu characters refused as too many lines", text.size());
        return 0;
    }
    if (!parsed.ok()) {
        // Lines end with CR LF, CR or LF: the bad one must be one of them.
        int lines = 1;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' ||
                (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
                ++lines;
        }
        FUZZ_CHECK(parsed.badLine >= 1 && parsed.badLine <= lines, "bad line %d of %d",
                   parsed.badLine, lines);
        return 0;
    }
    for (const auto& b : parsed.bytes) {
        FUZZ_CHECK(b.location >= 0 && b.location <= 255 && b.value >= 0 && b.value <= 255,
                   "location %d value %d", b.location, b.value);
    }
    const std::string written = rm27::FormatEep(parsed.bytes);
    FUZZ_CHECK(written.size() == 7 * parsed.bytes.size(), "%zu characters for %zu bytes",
               written.size(), parsed.bytes.size());
    const rm27::EepParse again = rm27::ParseEep(written);
    FUZZ_CHECK(again.ok() && again.bytes == parsed.bytes, "written file reads back differently");
    return 0;
}
