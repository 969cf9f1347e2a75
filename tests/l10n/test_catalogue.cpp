// The English catalogue against the sources: every message translated with
// the same placeholders, and nothing in the sources that lupdate would add
// or drop.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include "catalogue_support.h"

namespace rm27::test {
namespace {

const QString kTsFile = QStringLiteral(RM27_TS_FILE);

TEST(EnglishCatalogue, EveryMessageHasAFinishedTranslationWithItsPlaceholders) {
    const std::vector<TsMessage> messages = ReadTs(kTsFile);
    EXPECT_FALSE(messages.empty()) << "cannot read " << kTsFile.toStdString();
    for (const TsMessage& m : messages) {
        SCOPED_TRACE(m.context.toStdString() + ": " + m.source.toStdString());
        EXPECT_TRUE(m.finished);
        EXPECT_FALSE(m.translation.trimmed().isEmpty());
        // A number, path or name dropped or doubled in the English would
        // show a different message than the Czech one.
        EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source));
        EXPECT_FALSE(HasCzechLetter(m.translation)) << m.translation.toStdString();
    }
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
    for (const TsMessage& m : ReadTs(kTsFile)) // unread: the test above fails
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
