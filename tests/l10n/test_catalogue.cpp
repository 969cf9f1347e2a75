// The English catalogue against the sources: every message translated with
// the same placeholders, every Czech text of the window, the dialogs and the
// operations present in it, and nothing in the sources that lupdate would
// add or drop.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include "catalogue_support.h"

namespace rm27::test {
namespace {

const QString kTsFile = QStringLiteral(RM27_TS_FILE);

std::vector<TsMessage> Catalogue() {
    std::vector<TsMessage> messages = ReadTs(kTsFile);
    EXPECT_FALSE(messages.empty()) << "cannot read " << kTsFile.toStdString();
    return messages;
}

TEST(EnglishCatalogue, EveryMessageHasAFinishedTranslationWithItsPlaceholders) {
    for (const TsMessage& m : Catalogue()) {
        SCOPED_TRACE(m.context.toStdString() + ": " + m.source.toStdString());
        EXPECT_TRUE(m.finished);
        EXPECT_FALSE(m.translation.trimmed().isEmpty());
        // A number, path or name dropped or doubled in the English would
        // show a different message than the Czech one.
        EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source));
        EXPECT_FALSE(HasCzechLetter(m.translation)) << m.translation.toStdString();
    }
}

// The folders whose code puts text in front of the user in the window and
// its dialogs. The command-line tool speaks Czech only; the calibration
// certificate is a Czech document, written to a file, not shown.
const char* const kShownFolders[] = {"link",  "session", "reading",    "maintenance", "calibration",
                                     "watch", "ui",      "mainwindow", "app",         "procedure"};
const char* const kNotShown[] = {"calibration/certificate.cpp",
                                 "calibration/files/certificate_pdf.cpp"};

TEST(EnglishCatalogue, HoldsEveryCzechTextOfTheSources) {
    QStringList sources;
    for (const TsMessage& m : Catalogue())
        sources << m.source;
    const QDir root(QStringLiteral(RM27_SOURCE_DIR));
    int files = 0;
    for (const char* folder : kShownFolders) {
        QDirIterator it(root.filePath(QString::fromLatin1(folder)),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = root.relativeFilePath(path);
            if (std::any_of(std::begin(kNotShown), std::end(kNotShown),
                            [&](const char* f) { return relative == QLatin1String(f); }))
                continue;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++files;
            for (const QString& literal : StringLiterals(QString::fromUtf8(file.readAll()))) {
                // A piece of a text put together from parts is inside one of
                // the catalogue's templates; a message of several lines is
                // translated line by line.
                for (const QString& line : literal.split(QLatin1Char('\n'))) {
                    const QString piece = line.trimmed();
                    if (!HasCzechLetter(piece)) continue;
                    const bool found =
                        std::any_of(sources.begin(), sources.end(),
                                    [&](const QString& s) { return s.contains(piece); });
                    EXPECT_TRUE(found) << relative.toStdString() << ": \"" << piece.toStdString()
                                       << "\" has no entry in " << kTsFile.toStdString();
                }
            }
        }
    }
    EXPECT_GT(files, 50);
}

TEST(EnglishCatalogue, IsWhatLupdateFindsInTheSources) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh_en.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(RM27_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral("-I"), QStringLiteral(RM27_SOURCE_DIR),
                   QStringLiteral("@") + QStringLiteral(RM27_L10N_SOURCES), QStringLiteral("-ts"),
                   fresh});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    const auto key = [](const TsMessage& m) { return m.context + QLatin1Char('|') + m.source; };
    QSet<QString> inSources;
    for (const TsMessage& m : ReadTs(fresh))
        inSources.insert(key(m));
    QSet<QString> inCatalogue;
    for (const TsMessage& m : Catalogue())
        inCatalogue.insert(key(m));
    ASSERT_FALSE(inSources.isEmpty());
    // Run the update_translations target and translate what it adds.
    for (const QString& k : inSources - inCatalogue)
        ADD_FAILURE() << "not in the catalogue: " << k.toStdString();
    for (const QString& k : inCatalogue - inSources)
        ADD_FAILURE() << "no longer in the sources: " << k.toStdString();
}

} // namespace
} // namespace rm27::test
