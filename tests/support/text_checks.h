// Checks of a text the user is shown that name the whole text when they
// fail.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace rm27::test {

inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

inline ::testing::AssertionResult Begins(const std::string& text, const std::string& start) {
    if (text.rfind(start, 0) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not \"" << start << "\" first in:\n" << text;
}

} // namespace rm27::test
