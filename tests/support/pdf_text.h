// What a PDF says, through poppler's pdftotext and pdfinfo (Debian's
// poppler-utils, installed by scripts/setup).
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <string>

namespace rm27::test {

inline std::string RunPoppler(const char* program, const QStringList& args) {
    QProcess p;
    p.start(QString::fromLatin1(program), args);
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << program << " did not start: install poppler-utils (scripts/setup)";
        return {};
    }
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

// The text with its layout kept: a table row stays on one line.
inline std::string PdfText(const std::string& path) {
    return RunPoppler("pdftotext", {QStringLiteral("-layout"), QString::fromStdString(path),
                                    QStringLiteral("-")});
}

inline std::string PdfInfo(const std::string& path) {
    return RunPoppler("pdfinfo", {QString::fromStdString(path)});
}

} // namespace rm27::test
