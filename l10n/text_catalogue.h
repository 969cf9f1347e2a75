// The Czech texts the Qt-free operations build, as templates: %1, %2 ...
// stand for what is filled in (numbers, paths, identifiers, or another text
// of this catalogue). Kept free of Qt so that it sits beside the operations'
// own vocabulary; lupdate reads the QT_TRANSLATE_NOOP marks.
#pragma once

#include <span>

namespace rm27 {

inline constexpr const char* kTextsContext = "Texts";

std::span<const char* const> TextCatalogue();

} // namespace rm27
