// Calibration files and certificates on disk, as QSettings and QPdfWriter
// write them and other tools read them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <regex>

#include "calibration/editor_model.h"
#include "calibration/files/certificate_pdf.h"
#include "calibration/files/qt_calibration_files.h"
#include "calibration/kept_outputs.h"
#include "link/codecs.h"
#include "support/pdf_text.h"
#include "support/qt_environment.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtEnvironment("test_calibration_files"));

using Entry = ScriptedPointDialog::Entry;
using Keys = std::map<std::string, std::string>;

Keys KeysOf(const ClbGroup& g) {
    return {g.keys.begin(), g.keys.end()};
}

class Folder : public test::SimRig {
protected:
    std::string path(const char* name) const {
        return dir.filePath(QString::fromUtf8(name)).toStdString();
    }
    void spill(const char* name, const std::string& text) {
        QFile f(QString::fromStdString(path(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    std::map<std::string, Keys> read(const std::string& file) {
        std::vector<ClbGroup> groups;
        EXPECT_TRUE(store.readGroups(file, groups, reason)) << reason.czech();
        std::map<std::string, Keys> out;
        for (const ClbGroup& g : groups)
            out[g.name] = KeysOf(g);
        return out;
    }
    QTemporaryDir dir;
    QtCalibrationFileStore store;
    Text reason;
};

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

TEST_F(Folder, ABackslashGroupIsWrittenNestedAndEverySpellingReadsBack) {
    const std::string file = path("a.CLB");
    // awkward texts and singles: each comes back whole
    SensorRecord one =
        Curve("@Variant(1), \"q\"; a=b \\ č", {{-1e-7f, -123.456f}, {0.1f, 1.0f / 3}});
    one.pointSignals[2] = 1.7014117e38f; // the largest the eKey's own float holds
    one.userValues[2] = 16777216;
    one.pointCount = 3;
    one.unit = FixedText("µm", kUnitWidth);
    one.sheetNumber = FixedText("#7;8", kSheetNumberWidth);
    const SensorRecord menu = Curve("Z menu", {{0, 0}, {2, 10}, {3, 20}});
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace\\Snimac01", one, "p"), reason));
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace", menu, "p"), reason));
    // how QSettings itself spells the nested group
    const std::string text = test::ReadWholeText(file);
    EXPECT_EQ(text.rfind("[Kalibrace]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nSnimac01\\Points=3\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("%5C"), std::string::npos) << text;
    // rewriting the menu's group drops its old points, keeps the input's
    const SensorRecord shorter = Curve("Kratší", {{0, 0}, {1, 1}});
    ASSERT_TRUE(store.writeGroup(file, CalibrationGroup("Kalibrace", shorter, "p"), reason));
    auto groups = read(file);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups["Kalibrace"], KeysOf(CalibrationGroup("", shorter, "p")));
    EXPECT_EQ(groups["Kalibrace\\Snimac01"], KeysOf(CalibrationGroup("", one, "p")));

    // by hand "[Kalibrace\Snimac02]"; "%5C" as a QSettings of its own writes
    // a backslash; the program's write of that group replaces the latter
    spill("hand.CLB", "[Kalibrace\\Snimac02]\nPoints=2\nSignal1=0,5\n[Kalibrace%5CSnimac03]\n"
                      "Points=4\n");
    groups = read(path("hand.CLB"));
    EXPECT_EQ(groups["Kalibrace\\Snimac02"].at("Points"), "2");
    // an unquoted comma is a list to QSettings: the text comes back whole
    EXPECT_EQ(groups["Kalibrace\\Snimac02"].at("Signal1"), "0,5");
    EXPECT_EQ(groups["Kalibrace\\Snimac03"].at("Points"), "4");
    ASSERT_TRUE(store.writeGroup(path("hand.CLB"),
                                 CalibrationGroup("Kalibrace\\Snimac03", one, "p"), reason));
    groups = read(path("hand.CLB"));
    EXPECT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups["Kalibrace\\Snimac03"], KeysOf(CalibrationGroup("", one, "p")));
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
        SCOPED_TRACE(bytes);
        spill("k.CLB", bytes);
        std::vector<ClbGroup> groups;
        reason = Text();
        EXPECT_EQ(store.readGroups(path("k.CLB"), groups, reason), refusal == nullptr);
        if (refusal != nullptr)
            EXPECT_EQ(reason.czech(), refusal);
        else
            EXPECT_EQ(*groups.at(0).find("Description"), "Siloměr žluťoučký");
    }
}

// "Kalibrační list": the calibration as the editor would store it, with
// what the user typed for the certificate alone, into a PDF and a CSV.
TEST_F(Folder, TheCertificateStatesTheCalibrationAsItWouldBeStored) {
    SetDecimalSeparator('.');
    ScriptedPointDialog dialog;
    CalibrationEditorModel m(ops, dialog);
    QtCertificatePrinter printer;
    m.certificates = &printer;
    m.program = "RM-27/RMU Manager 9.9.9";
    state.DeviceId = "0123RM2712";
    m.xXx = Curve("Siločlen 200 kg", {{2, 201}, {0, 0}, {1, 100}});
    m.Adr = m.xXx.adr = 1;
    m.xXx.dateOfSave = "250101";
    m.Form_Load();
    m.Form_Activate();
    m.fields.txtNejistota = "101";
    m.fields.txtKL = "KL-7";
    m.fields.txtSN = "SN 4411";
    m.fields.txtPlatnostKalibrace = "270229";
    // what is typed for the certificate is refused before the file dialog
    EXPECT_FALSE(m.mKalibracniList_Click());
    EXPECT_EQ(view.criticals.back().rfind("Nejistota [%]: hodnotu 101 nelze použít", 0), 0u);
    m.fields.txtNejistota = "0,05";
    EXPECT_FALSE(m.mKalibracniList_Click());
    EXPECT_EQ(view.criticals.back().rfind("Platnost kalibrace: hodnotu 270229 nelze", 0), 0u);
    EXPECT_TRUE(view.calls.size() == 2);
    m.fields.txtPlatnostKalibrace = "271204";
    view.fileAnswers = {path("no/list")};
    EXPECT_FALSE(m.mKalibracniList_Click());
    EXPECT_EQ(view.criticals.back().rfind("Kalibrační list nelze uložit do souboru " +
                                              path("no/list.pdf") + "\r\nNo such file",
                                          0),
              0u);
    view.fileAnswers = {path("list")};
    ASSERT_TRUE(m.mKalibracniList_Click()) << view.criticals.back();
    SetDecimalSeparator('\0');

    const std::string text = test::PdfText(path("list.pdf"));
    for (const char* expected :
         {"Kalibrační list", "AC04BBAA", "Siločlen 200 kg", "0123RM2712", "2 (eKey, blok 32)",
          "Potenciometr G0/1x", "04.12.2026", "04.12.2027", "SN 4411", "KL-7", "0.05 %",
          "RM-27/RMU Manager 9.9.9",
          "Největší odchylka od přímky krajních bodů: -0.500 kg = -0.249 % rozsahu (bod 2)"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    EXPECT_EQ(text.find("01.01.2025"), std::string::npos); // dated as the store will date it
    // a point's row on a line of its own, its cells in order
    EXPECT_TRUE(std::regex_search(
        text, std::regex("\n *2 +1\\.00000 +100\\.0 +-0\\.500 +-0\\.249 +-0\\.333 +-0\\.166\n")))
        << text;
    EXPECT_NE(test::PdfInfo(path("list.pdf")).find("(A4)"), std::string::npos);
    const std::string csv = test::ReadWholeText(path("list.csv"));
    for (const char* expected :
         {"Vstup,\"2 (eKey, blok 32)\"\r\n", "Nejistota,0.05 %\r\n", "Výrobní číslo,SN 4411\r\n",
          "\r\n2,1,100,-0.5,-0.248756,-0.333333,-0.165837\r\n"}) {
        EXPECT_NE(csv.find(expected), std::string::npos) << expected << "\n" << csv;
    }
}


TEST_F(Folder, WriteAndReadFailuresGiveTheSystemsReason) {
    spill("plain", "x");
    EXPECT_FALSE(
        store.writeGroup(path("plain/a.CLB"), CalibrationGroup("K", Curve("x", {}), "p"), reason));
    EXPECT_NE(reason.czech().find("Not a directory"), std::string::npos) << reason.czech();
    std::vector<ClbGroup> groups;
    EXPECT_FALSE(store.readGroups(path("none.CLB"), groups, reason));
    EXPECT_NE(reason.czech().find("No such file"), std::string::npos) << reason.czech();
    // QSettings would wait on a FIFO for a writer that never comes.
    ASSERT_EQ(::mkfifo(path("fifo.CLB").c_str(), 0600), 0);
    EXPECT_FALSE(store.readGroups(path("fifo.CLB"), groups, reason));
    EXPECT_EQ(reason.czech(), "je to pojmenovaná roura (FIFO), ne soubor");
}

} // namespace
} // namespace rm27
