// The texts of an eKey image are single bytes in the code page of the Czech
// workstations the keys are written from, Windows-1250; the program holds
// every text as UTF-8. Also the few UTF-8 rules the program needs to count
// characters where a fixed-width field counts them.
#pragma once

#include <cstddef>
#include <string>

namespace rm27 {

// Windows-1250 bytes as UTF-8. Every byte maps: the five bytes the code
// page leaves undefined (81, 83, 88, 90, 98 hex) become the C1 control
// characters of the same number (U+0081 ...), which Utf8ToCp1250 turns
// back into the same bytes. A key written by another tool therefore comes
// back byte for byte, whatever it holds.
std::string Cp1250ToUtf8(const std::string& bytes);

// UTF-8 text as Windows-1250 bytes, one byte per character. False, with out
// untouched, when a character has no byte (see FirstUnencodableCharacter):
// nothing is ever replaced by a stand-in byte.
bool Utf8ToCp1250(const std::string& text, std::string& out);

// The first character of text that Windows-1250 cannot hold, as UTF-8 ("Ω");
// a byte that is not part of well-formed UTF-8 is returned alone. Empty
// when every character maps.
std::string FirstUnencodableCharacter(const std::string& text);

// The first character of text by its number, "U+03A9", or "0xE9" for a
// byte that starts no well-formed UTF-8; "" for "". For messages that name
// a character which may not show (a zero-width space).
std::string CodePointText(const std::string& text);

// The offset of the first byte of bytes that is one of the code page's five
// undefined bytes; npos when there is none. A text file holding one of them
// is no Windows-1250 text, although the decoder carries them along.
std::size_t FirstUndefinedCp1250(const std::string& bytes);

// The offset of the first byte of text that is not part of well-formed
// UTF-8 (a stray continuation byte, an overlong form, a surrogate, anything
// above U+10FFFF, a sequence cut short); npos when the whole text is UTF-8.
std::size_t FirstInvalidUtf8(const std::string& text);

// text with every byte that is not part of well-formed UTF-8 replaced by
// U+FFFD, as the window shows such bytes. Bytes off the line (a garbled
// identification) may be anything; files and JSON must stay UTF-8.
std::string ReplaceInvalidUtf8(const std::string& text);

// Characters (code points) in text; a byte that is not part of well-formed
// UTF-8 counts as one character.
std::size_t CharacterCount(const std::string& text);
// The byte offset at which character n of text starts (text.size() when it
// has no more than n characters). Never inside a character.
std::size_t CharacterOffset(const std::string& text, std::size_t n);

} // namespace rm27
