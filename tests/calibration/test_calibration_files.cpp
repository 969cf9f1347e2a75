// Calibration files and certificates on disk, as QSettings and QPdfWriter
// write them and other tools read them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <map>

#include "calibration/files/certificate_pdf.h"
#include "calibration/files/qt_calibration_files.h"
#include "calibration/kept_outputs.h"
#include "link/codecs.h"
#include "support/calibration_rig.h"
#include "support/pdf_text.h"
#include "support/qt_environment.h"

namespace rm27 {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_calibration_files"));

using Entry = ScriptedPointDialog::Entry;

void Spill(const std::string& path, const std::string& text) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

std::map<std::string, std::string> KeysOf(const ClbGroup& g) {
    return {g.keys.begin(), g.keys.end()};
}

std::map<std::string, std::map<std::string, std::string>> Read(const std::string& path) {
    QtCalibrationFileStore store;
    std::vector<ClbGroup> groups;
    Text reason;
    EXPECT_TRUE(store.readGroups(path, groups, reason)) << reason.czech();
    std::map<std::string, std::map<std::string, std::string>> out;
    for (const ClbGroup& g : groups)
        out[g.name] = KeysOf(g);
    return out;
}

SensorRecord Curve(const char* description, std::initializer_list<std::pair<float, float>> points) {
    SensorRecord r;
    r.sensorId = "AC04BBAA";
    r.description = FixedText(description, kDescriptionWidth);
    r.unit = FixedText("kg", kUnitWidth);
    r.numberFormat = FixedText("####0.0", kNumberFormatWidth);
    r.curveFlags = kCurveHasCurve | kCurveSignalMvV;
    r.dateOfSave = "261204";
    r.validity = "271204";
    for (const auto& [signal, value] : points) {
        const auto k = static_cast<std::size_t>(r.pointCount++);
        r.pointSignals[k] = signal;
        r.userValues[k] = value;
    }
    return r;
}

class Folder : public ::testing::Test {
protected:
    std::string path(const char* name) const {
        return dir.filePath(QString::fromUtf8(name)).toStdString();
    }
    QTemporaryDir dir;
    QtCalibrationFileStore store;
    Text reason;
};

TEST_F(Folder, ABackslashGroupIsWrittenNestedAndEverySpellingReadsBack) {
    const std::string file = path("a.CLB");
    const SensorRecord one = Curve("Vstup 1", {{0, 0}, {1, 50}, {2, 100}});
    const SensorRecord menu = Curve("Z menu", {{0, 0}, {2, 10}, {3, 20}});
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace\\Snimac01", one, "p"), reason));
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace", menu, "p"), reason));
    // how QSettings itself spells the nested group
    const std::string text = test::ReadWholeText(file);
    EXPECT_EQ(text.rfind("[Kalibrace]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nSnimac01\\Points=3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPoints=3\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("%5C"), std::string::npos) << text;
    auto groups = Read(file);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups["Kalibrace\\Snimac01"], KeysOf(CalibrationGroup("", one, "p")));
    EXPECT_EQ(groups["Kalibrace"], KeysOf(CalibrationGroup("", menu, "p")));

    // rewriting the menu's group drops its old points, keeps the input's
    const SensorRecord shorter = Curve("Kratší", {{0, 0}, {1, 1}});
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace", shorter, "p"), reason));
    groups = Read(file);
    EXPECT_EQ(groups["Kalibrace"], KeysOf(CalibrationGroup("", shorter, "p")));
    EXPECT_EQ(groups["Kalibrace\\Snimac01"].at("Points"), "3");

    // by hand "[Kalibrace\Snimac02]"; "%5C" as a QSettings of its own writes
    // a backslash; the program's write of that group replaces the latter
    const std::string hand = path("hand.CLB");
    Spill(hand, "[Kalibrace\\Snimac02]\nPoints=2\nSignal1=0,5\n[Kalibrace%5CSnimac03]\nPoints=4\n");
    groups = Read(hand);
    EXPECT_EQ(groups["Kalibrace\\Snimac02"].at("Points"), "2");
    // an unquoted comma is a list to QSettings: the text comes back whole
    EXPECT_EQ(groups["Kalibrace\\Snimac02"].at("Signal1"), "0,5");
    EXPECT_EQ(groups["Kalibrace\\Snimac03"].at("Points"), "4");
    ASSERT_TRUE(store.writeGroup(hand, CalibrationGroup("Kalibrace\\Snimac03", one, "p"), reason));
    groups = Read(hand);
    EXPECT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups["Kalibrace\\Snimac03"], KeysOf(CalibrationGroup("", one, "p")));
}

TEST_F(Folder, AwkwardTextsAndEverySingleComeBack) {
    SensorRecord r = Curve("@Variant(1), \"q\"; a=b \\ č", {{-1e-7f, -123.456f}, {0.1f, 1.0f / 3}});
    r.unit = FixedText(" µm", kUnitWidth);
    r.sheetNumber = FixedText("#7;8", kSheetNumberWidth);
    r.pointSignals[2] = 1.7014117e38f; // the largest the eKey's own float holds
    r.userValues[2] = 16777216;
    r.pointCount = 3;
    const std::string file = path("awkward.CLB");
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace", r, "p"), reason));
    std::vector<ClbGroup> groups;
    ASSERT_TRUE(store.readGroups(file, groups, reason));
    ASSERT_EQ(groups.size(), 1u);
    SensorRecord back;
    Text error;
    ASSERT_TRUE(CalibrationFromGroup(groups[0], back, 9, error)) << error.czech();
    r.unit = FixedText("µm", kUnitWidth); // padding blanks are not part of a text
    EXPECT_EQ(back, r);
}

// The program writes UTF-8; the other tools of these workstations write
// Windows-1250, which is read as such when the file is not UTF-8.
TEST_F(Folder, AFileInWindows1250IsReadAsSuchAndOtherBytesNameTheirLine) {
    const std::string utf8 = "[Kalibrace]\nPoints=2\nDescription=Siloměr žluťoučký\n";
    const std::pair<std::string, const char*> cases[] = {
        {utf8, nullptr},
        {"\xEF\xBB\xBF" + utf8, nullptr},
        {"[Kalibrace]\nPoints=2\nDescription=Silom\xECr \x9Elu\x9Dou\xE8k\xFD\n", nullptr},
        {"\xEF\xBB\xBF[Kalibrace]\nPoints=2\nDescription=Silom\xECr\n",
         "Soubor je označen jako UTF-8, ale řádek 3 není platný text UTF-8."},
        {"[Kalibrace]\nDescription=Silom\xECr\nUnit=\x81\n",
         "Soubor není v UTF-8 ani ve Windows-1250: řádek 3 obsahuje bajt 0x81, který "
         "Windows-1250 nezná."},
    };
    for (const auto& [bytes, refusal] : cases) {
        Spill(path("k.CLB"), bytes);
        std::vector<ClbGroup> groups;
        reason = Text();
        EXPECT_EQ(store.readGroups(path("k.CLB"), groups, reason), refusal == nullptr)
            << reason.czech();
        if (refusal != nullptr) {
            EXPECT_EQ(reason.czech(), refusal);
        } else {
            ASSERT_EQ(groups.size(), 1u) << bytes;
            EXPECT_EQ(*groups[0].find("Description"), "Siloměr žluťoučký") << bytes;
        }
    }
}

TEST_F(Folder, WriteAndReadFailuresGiveTheSystemsReason) {
    Spill(path("plain"), "x");
    const std::pair<std::string, const char*> cases[] = {
        {path("missing/a.CLB"), "No such file or directory"},
        {path("plain/a.CLB"), "Not a directory"},
        {path(""), "Is a directory"},
    };
    for (const auto& [file, why] : cases) {
        reason = Text();
        EXPECT_FALSE(
            store.writeGroup(file, CalibrationGroup("Kalibrace", Curve("x", {}), "p"), reason))
            << file;
        EXPECT_NE(reason.czech().find(why), std::string::npos) << file << ": " << reason.czech();
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("missing"))));
    std::vector<ClbGroup> groups;
    EXPECT_FALSE(store.readGroups(path("none.CLB"), groups, reason));
    EXPECT_NE(reason.czech().find("No such file"), std::string::npos) << reason.czech();
    // QSettings would wait on a FIFO for a writer that never comes.
    ASSERT_EQ(::mkfifo(path("fifo.CLB").c_str(), 0600), 0);
    EXPECT_FALSE(store.readGroups(path("fifo.CLB"), groups, reason));
    EXPECT_EQ(reason.czech(), "je to pojmenovaná roura (FIFO), ne soubor");
}

// Numbers as a Czech desktop writes them: LC_NUMERIC and the C++ global
// locale with a decimal comma (the system's cs_CZ.UTF-8, else one built
// from its source), Qt's default locale Czech, the program's separator ','.
class CzechNumbers {
public:
    CzechNumbers() {
        SetDecimalSeparator(',');
        QLocale::setDefault(QLocale(QLocale::Czech));
        if (Use()) return;
        const QString built = dir_.filePath(QStringLiteral("cs_CZ.UTF-8"));
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("cs_CZ"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), built});
        setenv("LOCPATH", dir_.path().toLocal8Bit().constData(), 1);
        Use();
    }
    ~CzechNumbers() {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
        unsetenv("LOCPATH");
        QLocale::setDefault(QLocale::c());
        SetDecimalSeparator('\0');
    }
    bool active() const { return std::string(std::localeconv()->decimal_point) == ","; }

private:
    static bool Use() {
        if (std::setlocale(LC_ALL, "cs_CZ.UTF-8") == nullptr) return false;
        std::locale::global(std::locale("cs_CZ.UTF-8"));
        return true;
    }
    QTemporaryDir dir_;
};

class CzechDesktop : public test::SimRig {
protected:
    QTemporaryDir dir;
    QtCalibrationFileStore store;
};

TEST_F(CzechDesktop, AFileWrittenWithADecimalCommaReadsBack) {
    CzechNumbers czech;
    if (!czech.active()) GTEST_SKIP() << "no Czech locale here, and none could be built";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%g", 0.5);
    ASSERT_STREQ(printed, "0,5"); // the C library writes a comma now

    ScriptedPointDialog dialog;
    CalibrationEditorModel saving(ops, dialog);
    saving.files = &store;
    saving.xXx.numberFormat = FixedText("###0.00", kNumberFormatWidth);
    saving.xXx.curveFlags = kCurveHasCurve | kCurveSignalMvV;
    saving.Form_Load();
    saving.Form_Activate();
    dialog.script = {Entry{"0,5", "12,25", false}, Entry{"1,5", "37,75", false}};
    ASSERT_TRUE(saving.mKrivkaBodAdd_Click());
    ASSERT_TRUE(saving.mKrivkaBodAdd_Click());
    EXPECT_EQ(saving.fields.lstKrivka[0], "    0,50000    12,25 "); // shown the Czech way
    saving.fields.txtPopis = "Váha";
    const std::string file = dir.filePath(QStringLiteral("cz.CLB")).toStdString();
    view.fileAnswers = {file};
    saving.mFileSaveAs_Click();
    ASSERT_TRUE(view.criticals.empty()) << view.criticals[0];
    const std::string text = test::ReadWholeText(file);
    EXPECT_NE(text.find("Signal1=0.5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Value2=37.75\n"), std::string::npos) << text;

    CalibrationEditorModel opening(ops, dialog);
    opening.files = &store;
    opening.Form_Load();
    view.fileAnswers = {file};
    ASSERT_TRUE(opening.mFileOpen_Click()) << view.criticals.back();
    EXPECT_EQ(opening.fields.lstKrivka, saving.fields.lstKrivka);
    EXPECT_EQ(opening.xXx.pointSignals, saving.xXx.pointSignals);
    EXPECT_EQ(opening.xXx.userValues, saving.xXx.userValues);
}

TEST(CalibrationCertificate, ThePdfHoldsTitleIdentifierPointsAndTheLargestError) {
    SetDecimalSeparator('.');
    SensorRecord r = Curve("Siločlen 200 kg", {{0, 0}, {1, 100}, {2, 201}});
    r.adr = 1;
    CertificateStated stated;
    stated.uncertainty = 0.05;
    const CertificateData c = MakeCertificate(r, "0123RM2712", 5, stated, "RM-27/RMU Manager 9.9.9",
                                              {2026, 12, 4, 10, 0, 0});
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("list.pdf")).toStdString();
    QtCertificatePrinter printer;
    Text reason;
    ASSERT_TRUE(printer.writePdf(c, file, reason)) << reason.czech();
    SetDecimalSeparator('\0');

    const std::string text = test::PdfText(file);
    for (const char* expected :
         {"Kalibrační list", "Identifikátor snímače", "AC04BBAA", "Siločlen 200 kg", "0123RM2712",
          "2 (eKey, blok 32)", "Potenciometr G0/1x", "04.12.2026", "0.05 %",
          "RM-27/RMU Manager 9.9.9", "Největší chyba linearity", "-0.249 % rozsahu",
          "Největší odchylka od přímky krajních bodů: -0.500 kg = -0.249 % rozsahu (bod 2)"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    // every point on a line of its own, all its cells in order
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    for (const auto& row : CertificateTable(c).rows) {
        const auto holds = [&](const std::string& line) {
            if (line.find_first_not_of(' ') != line.find(row[0] + " ")) return false;
            std::size_t at = 0;
            for (const std::string& cell : row) {
                at = line.find(cell, at);
                if (at == std::string::npos) return false;
                at += cell.size();
            }
            return true;
        };
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), holds)) << row[0] << "\n" << text;
    }
    EXPECT_NE(test::PdfInfo(file).find("(A4)"), std::string::npos) << test::PdfInfo(file);

    EXPECT_FALSE(
        printer.writePdf(c, dir.filePath(QStringLiteral("no/list.pdf")).toStdString(), reason));
    EXPECT_NE(reason.czech().find("No such file or directory"), std::string::npos)
        << reason.czech();
}

// From a file into the editor, into the eKey, read back, into a file.
class FileRoundTrip : public test::CalibrationRig {
protected:
    FileRoundTrip() {
        sim::ConverterSetup setup;
        setup.address = 1;
        setup.noiseMvV = 0;
        bus.add(setup);
        SetDecimalSeparator('.');
        editor.model().files = &store;
        editor.model().program = "RM-27/RMU Manager 9.9.9";
    }
    ~FileRoundTrip() override { SetDecimalSeparator('\0'); }

    CalibrationRun Change(int input) {
        CalibrationRun run;
        session.run([&](Operations& o) {
            run = ChangeCalibration(o, input, editor, [](Operations& oo) { DevRead(oo, 1); });
        });
        return run;
    }
    std::string file(const char* name) const {
        return dir.filePath(QString::fromUtf8(name)).toStdString();
    }
    // The input's record as the reading left it, into a file.
    void Save(const std::string& path) {
        Text reason;
        ASSERT_TRUE(store.writeGroup(
            path, CalibrationGroup(kClbMenuGroup, state.records[0], editor.model().program),
            reason))
            << reason.czech();
    }

    test::ScriptedEditor editor{line, ops};
    QtCalibrationFileStore store;
    QTemporaryDir dir;
};

TEST_F(FileRoundTrip, KeepsEverythingButTheDateOfSave) {
    ReadAndMeasure();
    // a calibration typed in and stored; on its way the editor saves it
    editor.actions = {{500, [&](CalibrationEditorModel& m) {
                           m.points.Clear();
                           editor.dialog.script = {Entry{"0", "0", false},
                                                   Entry{"1", "49,5", false},
                                                   Entry{"2,5", "125", false}};
                           for (int k = 0; k < 3; ++k)
                               m.mKrivkaBodAdd_Click();
                           m.fields.txtPopis = "Siločlen, 125 kg";
                           m.fields.txtJednotka = "kg";
                           m.fields.cmbFormat = 2;
                           m.fields.cmbGain = 6;
                           m.fields.cmbSlide = 4;
                           m.fields.cmbSlideRychl = 2;
                           m.xXx.validity = "271204";
                           view.fileAnswers = {file("menu.CLB")};
                           m.mFileSaveAs_Click();
                           view.answers = {MessageAnswer::Yes};
                           m.cmdAction_Click(1);
                       }}};
    ASSERT_TRUE(Change(0).stored());
    Save(file("sensor.CLB"));

    // a day later, from that file into the sensor again
    clock.when.day = 5;
    editor.actions = {{500, [&](CalibrationEditorModel& m) {
                           view.fileAnswers = {file("sensor.CLB")};
                           ASSERT_TRUE(m.mFileOpen_Click());
                           view.answers = {MessageAnswer::Yes};
                           m.cmdAction_Click(1);
                       }}};
    const std::size_t kwBefore = framesStartingWith("$01KW").size();
    ASSERT_TRUE(Change(0).stored());
    EXPECT_GT(framesStartingWith("$01KW").size(), kwBefore);
    Save(file("again.CLB"));
    ASSERT_TRUE(view.criticals.empty()) << view.criticals[0];

    auto before = Read(file("sensor.CLB")).at("Kalibrace");
    auto after = Read(file("again.CLB")).at("Kalibrace");
    EXPECT_EQ(before.at("DateOfSave"), "261204");
    EXPECT_EQ(after.at("DateOfSave"), "261205");
    before.erase("DateOfSave");
    after.erase("DateOfSave");
    EXPECT_EQ(after, before);
    EXPECT_EQ(before.at("Description"), "Siločlen, 125 kg");
    EXPECT_EQ(before.at("Value2"), "49.5");
    EXPECT_EQ(before.at("Signal3"), "2.5");
    EXPECT_EQ(before.at("Validity"), "271204");
    EXPECT_EQ(before.at("Input"), "1");

    // the menu's file was saved before the store: the eKey has no room for
    // the serial number and the sheet text the build stamps, nor its date
    auto menu = Read(file("menu.CLB")).at("Kalibrace");
    EXPECT_EQ(menu.at("SerialNumber"), "00000000");
    EXPECT_EQ(menu.at("SheetText"), "KL0000");
    for (const char* key : {"DateOfSave", "SerialNumber", "SheetText"}) {
        menu.erase(key);
        after.erase(key);
    }
    EXPECT_EQ(after, menu);
}

} // namespace
} // namespace rm27
