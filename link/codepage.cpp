#include "link/codepage.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace rm27 {

namespace {

// Bytes 80..FF of Windows-1250. Its five undefined bytes stand for the C1
// control characters of their own number, the only characters of that
// range the table holds.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

unsigned char ByteAt(const std::string& text, std::size_t at) {
    return static_cast<unsigned char>(text[at]);
}

// The length of the well-formed UTF-8 sequence starting at text[at], with
// its code point in cp; 0 when none starts there.
std::size_t Sequence(const std::string& text, std::size_t at, char32_t& cp) {
    const unsigned char lead = ByteAt(text, at);
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = ByteAt(text, at + k);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

// One step through text: the length of what starts at `at`, an ill-formed
// byte counting as a character of its own (cp = ~0).
std::size_t Step(const std::string& text, std::size_t at, char32_t& cp) {
    const std::size_t length = Sequence(text, at, cp);
    if (length > 0) return length;
    cp = ~char32_t{0};
    return 1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    const auto add = [&](char32_t bits) {
        out += static_cast<char>(static_cast<unsigned char>(bits));
    };
    if (cp < 0x80) {
        add(cp);
    } else if (cp < 0x800) {
        add(0xC0 | (cp >> 6));
        add(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        add(0xE0 | (cp >> 12));
        add(0x80 | ((cp >> 6) & 0x3F));
        add(0x80 | (cp & 0x3F));
    } else {
        add(0xF0 | (cp >> 18));
        add(0x80 | ((cp >> 12) & 0x3F));
        add(0x80 | ((cp >> 6) & 0x3F));
        add(0x80 | (cp & 0x3F));
    }
}

// The byte of a code point; false when the code page has none.
bool ByteOf(char32_t cp, unsigned char& byte) {
    if (cp < 0x80) {
        byte = static_cast<unsigned char>(cp);
        return true;
    }
    const auto it = std::find(kUpperHalf.begin(), kUpperHalf.end(), cp);
    if (it == kUpperHalf.end()) return false;
    byte = static_cast<unsigned char>(0x80 + (it - kUpperHalf.begin()));
    return true;
}

} // namespace

std::string Cp1250ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte < 0x80 ? char32_t{byte} : kUpperHalf[byte - 0x80u]);
    }
    return out;
}

bool Utf8ToCp1250(const std::string& text, std::string& out) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = Sequence(text, at, cp);
        unsigned char byte = 0;
        if (length == 0 || !ByteOf(cp, byte)) return false;
        bytes += static_cast<char>(byte);
        at += length;
    }
    out = std::move(bytes);
    return true;
}

std::string FirstUnencodableCharacter(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = Step(text, at, cp);
        unsigned char byte = 0;
        if (!ByteOf(cp, byte)) return text.substr(at, length);
        at += length;
    }
    return {};
}

std::string CodePointText(const std::string& text) {
    if (text.empty()) return {};
    char32_t cp = 0;
    char name[16];
    if (Sequence(text, 0, cp) == 0)
        std::snprintf(name, sizeof name, "0x%02X", unsigned{ByteAt(text, 0)});
    else
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
    return name;
}

std::size_t FirstUndefinedCp1250(const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const unsigned char byte = ByteAt(bytes, at);
        // Only the undefined bytes stand for C1 control characters.
        if (byte >= 0x80 && kUpperHalf[byte - 0x80u] <= 0x9F) return at;
    }
    return std::string::npos;
}

std::size_t FirstInvalidUtf8(const std::string& text) {
    char32_t cp = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Sequence(text, at, cp);
        if (length == 0) return at;
        at += length;
    }
    return std::string::npos;
}

std::string ReplaceInvalidUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = Step(text, at, cp);
        if (cp == ~char32_t{0})
            AppendUtf8(out, 0xFFFD);
        else
            out.append(text, at, length);
        at += length;
    }
    return out;
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    char32_t cp = 0;
    for (std::size_t at = 0; at < text.size(); ++count)
        at += Step(text, at, cp);
    return count;
}

std::size_t CharacterOffset(const std::string& text, std::size_t n) {
    std::size_t at = 0;
    char32_t cp = 0;
    for (std::size_t k = 0; k < n && at < text.size(); ++k)
        at += Step(text, at, cp);
    return at;
}

} // namespace rm27
