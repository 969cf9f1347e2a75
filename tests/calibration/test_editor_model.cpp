// The calibration editor's handlers without widgets.
#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>

#include "calibration/editor_model.h"
#include "link/codecs.h"
#include "link/transact.h"
#include "session/measurement_status.h"
#include "support/memory_file_store.h"
#include "support/sim_rig.h"

namespace rm27 {
namespace {

using Entry = ScriptedPointDialog::Entry;
using Texts = std::vector<std::string>;

class EditorModel : public test::SimRig {
protected:
    EditorModel() {
        SetDecimalSeparator('.');
        m.xXx.numberFormat = "####0.0 ";
        m.xXx.description = FixedText("Váha", kDescriptionWidth);
        m.xXx.sensorId = "AC04BBAA";
        m.FNX = kTargetEKey;
        m.files = &store;
        m.Form_Load();
        m.Form_Activate();
        // A measurement answer has just come: the live signal counts.
        ops.live.answeredMs = ops.nowMs();
    }
    ~EditorModel() override { SetDecimalSeparator('\0'); }

    // Adds points typed by hand.
    void Type(std::initializer_list<std::pair<const char*, const char*>> points) {
        for (const auto& [signal, value] : points) {
            dialog.script.push_back(Entry{signal, value, false});
            ASSERT_TRUE(m.mKrivkaBodAdd_Click()) << signal;
        }
    }
    // "signal:value ..." of the editor's points (or another's).
    std::string Curve(const CalibrationEditorModel* other = nullptr) const {
        const PointTable& t = (other ? *other : m).points;
        std::string out;
        for (int k = 1; k <= t.count(); ++k)
            out += SingleText(t.slot(k).signal) + ":" + SingleText(t.slot(k).userValue) + " ";
        return out;
    }
    // Asserts that the last box shown begins with `start`.
    void LastBoxBegins(const std::string& start) {
        ASSERT_FALSE(view.calls.empty()) << start;
        EXPECT_EQ(view.calls.back().text.rfind(start, 0), 0u) << view.calls.back().text;
    }

    test::MemoryFileStore store;
    ScriptedPointDialog dialog;
    CalibrationEditorModel m{ops, dialog};
};

TEST_F(EditorModel, CaptureTakesTheLiveMvvWhateverTheCurveTypeShows) {
    const float raw = 9000000;
    const float mvv = 1.234567f;
    m.LiveDivRef = &raw;
    m.LiveMvvRef = &mvv;
    m.cmbCurveType_Click(1);
    m.tmrOpisovac_Timer();
    EXPECT_EQ(m.fields.lblSignal, "   1.2346");
    m.cmbCurveType_Click(0);
    EXPECT_EQ(m.xXx.curveFlags & kCurveSignalMvV, 0);
    m.tmrOpisovac_Timer();
    EXPECT_EQ(m.fields.lblSignal, " 9000000");

    dialog.script.push_back(Entry{std::nullopt, "50", false});
    ASSERT_TRUE(m.cmdSCAN_Click());
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_FALSE(dialog.shown[0].EditSignal);
    EXPECT_EQ(dialog.shown[0].txtCalBod,
              (std::array<std::string, 2>{"       1.23457", "    0.0 "}));
    EXPECT_EQ(Curve(), "1.23457:50 "); // the signal went through its text: five decimals
    EXPECT_EQ(m.fields.lstKrivkaSelected, 0);

    // No answer for longer than the limit, or no line: nothing to capture.
    for (const bool open : {true, false}) {
        DelayMs(ops.port, static_cast<std::int32_t>(open ? kStaleAfterMs + 1 : 0));
        line.setOpen(open);
        view.criticals.clear();
        EXPECT_FALSE(m.cmdSCAN_Click());
        LastBoxBegins("Signál není aktuální");
    }
    EXPECT_EQ(dialog.shown.size(), 1u);
}

TEST_F(EditorModel, PointsAreSortedTheNewOneSelectedAndATenthRefused) {
    Type({{"2", "200"}, {"0,5", "50"}});
    EXPECT_EQ(m.fields.lstKrivkaSelected, 0);
    Type({{"1", "100"}});
    EXPECT_EQ(Curve(), "0.5:50 1:100 2:200 ");
    EXPECT_EQ(m.fields.lstKrivkaSelected, 1);
    EXPECT_TRUE(dialog.shown[0].EditSignal);
    EXPECT_EQ(dialog.shown[0].txtCalBod[0], "       0.00000");

    // Storno, or 999999 typed, adds or changes nothing, and says nothing
    dialog.script = {Entry{{}, {}, true}, Entry{"3", "999999", false}, Entry{{}, {}, true}};
    EXPECT_FALSE(m.cmdSCAN_Click());
    EXPECT_FALSE(m.mKrivkaBodAdd_Click());
    m.fields.lstKrivkaSelected = 1;
    m.lstKrivka_DblClick();
    EXPECT_EQ(Curve(), "0.5:50 1:100 2:200 ");
    EXPECT_TRUE(view.calls.empty());

    for (const char* k : {"3", "4", "5", "6", "7", "8"})
        Type({{k, k}});
    const std::size_t shown = dialog.shown.size();
    const char* text = "Kalibrační křivka může obsahovat maximálně 9 bodu, nelze přidat další bod.";
    // by hand: refused before the dialog opens; by capture: once it is answered
    EXPECT_FALSE(m.mKrivkaBodAdd_Click());
    EXPECT_EQ(dialog.shown.size(), shown);
    dialog.script.push_back(Entry{"10", "10", false});
    EXPECT_FALSE(m.cmdSCAN_Click());
    EXPECT_EQ(dialog.shown.size(), shown + 1);
    EXPECT_EQ(view.criticals, (Texts{text, text}));
    EXPECT_EQ(m.points.count(), 9);
}

TEST_F(EditorModel, APointTheEKeyCannotHoldIsRefusedByAddAndByEdit) {
    Type({{"1", "10"}, {"2", "20"}});
    const struct {
        const char* signal;
        const char* etalon;
        const char* message; // how the box begins
    } cases[] = {
        {"1e-40", "5", "Signal: hodnotu 1e-40 nelze použít"},
        {"5", "-1e39", "Etalon: hodnotu -1e+39 nelze použít"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.signal) + ":" + c.etalon);
        dialog.script = {Entry{c.signal, c.etalon, false}, Entry{c.signal, c.etalon, false}};
        EXPECT_FALSE(m.mKrivkaBodAdd_Click());
        LastBoxBegins(c.message);
        m.fields.lstKrivkaSelected = 0;
        m.lstKrivka_DblClick();
        LastBoxBegins(c.message);
        EXPECT_EQ(Curve(), "1:10 2:20 ");
    }
    EXPECT_EQ(view.criticals.size(), 2 * std::size(cases));

    // Wide for its format but held by the eKey: taken, its line shown as the
    // format cuts it and the whole value in its tip.
    Type({{"3", "123456"}});
    EXPECT_EQ(m.fields.lstKrivka[2], "       3  23456.0 ");
    EXPECT_EQ(m.fields.lstKrivkaTips[2].czech(), "Hodnota se nevejde do formátu ####0.0: 123456.0");
}

TEST_F(EditorModel, SaveRefusalsAndSuccess) {
    Type({{"0", "0"}, {"2", "100"}});
    const std::string question = "Chcete opravdu zapsat kalibrační data do snímače ?";
    // "Uložit kalibraci" answered Yes after `spoil`: the boxes, each
    // beginning as given, and no store.
    const auto refused = [&](const std::function<void()>& spoil, const Texts& said) {
        view.calls.clear();
        view.answers = {MessageAnswer::Yes};
        spoil();
        m.cmdAction_Click(1);
        const Texts texts = view.messageTexts();
        ASSERT_EQ(texts.size(), said.size()) << said[0];
        for (std::size_t k = 0; k < said.size(); ++k)
            EXPECT_EQ(texts[k].rfind(said[k], 0), 0u) << texts[k];
        EXPECT_EQ(m.Tag, EditorTag::None);
        m.xXx.noEKey = false;
        line.setOpen(true);
        state.doubts.ekeyMask = {};
        m.fields.txtPopis = "Váha";
        m.fields.txtJednotka = "kg";
    };
    refused([&] { m.xXx.noEKey = true; },
            {"Kalibrační data nemohou být zapsána do snímače, protože neobsahuje vniřní paměť "
             "dat (eKey)."});
    // the line gone (the editor stays open): refused before the question
    refused([&] { line.setOpen(false); }, {"Spojení s převodníkem je přerušeno."});
    refused([&] { view.answers = {MessageAnswer::No}; }, {question});
    refused([&] { m.fields.txtPopis = " "; },
            {question, "Kalibrační křivka musí mít jméno (popis).",
             "Calibation data cannot be prepared to save."});
    // the eKey holds its texts in Windows-1250: what it cannot hold is refused here
    refused([&] { m.fields.txtJednotka = "kΩ"; },
            {question, "Znak „Ω“ (U+03A9) nelze uložit do eKey: kódová stránka snímače "
                       "(Windows-1250) ho neobsahuje."});
    // a doubtful eKey mask: the block the record goes back to is not known
    refused([&] { state.doubts.ekeyMask = kDoubtNoAnswer; }, {question, "maska eKey je nejistá: "});
    ASSERT_EQ(view.calls[0].icon, MessageIcon::Question);
    ASSERT_EQ(view.calls[0].defaultButton, MessageAnswer::No);

    // the menu's "Save calibration data to sensor" is the same button
    line.waitFor(1234);
    view.answers = {MessageAnswer::Yes};
    m.mSaveEEKrivka_Click();
    EXPECT_EQ(m.Tag, EditorTag::Store);
    EXPECT_EQ(m.xXx.slopes[0], 50);
    EXPECT_EQ(m.xXx.overallSlope, 50);
    EXPECT_EQ(m.xXx.preparationTime, 1234);
    m.cmdAction_Click(0);
    EXPECT_EQ(m.Tag, EditorTag::Cancel);
}

TEST_F(EditorModel, OpenChecksTheFileAndKeepsTheEditorsBlock) {
    m.Adr = m.xXx.adr = 4;
    m.SubAdr = m.xXx.subAdr = 1;
    m.FNXSection = "Kalibrace\\Snimac02";
    Type({{"1", "10"}, {"2", "20"}});
    m.fields.txtPopis = "typed";

    SensorRecord file;
    file.description = FixedText("Ze souboru", kDescriptionWidth);
    file.pointCount = 3;
    file.pointSignals = {0, 0.5f, 1};
    file.userValues = {0, 49.5f, 100};
    SensorRecord other = file;
    other.description = FixedText("Jiný vstup", kDescriptionWidth);
    const ClbGroup mine = CalibrationGroup("Kalibrace\\Snimac02", file, "x");
    store.files["/f.CLB"] = {CalibrationGroup("Kalibrace", other, "x"), mine};
    store.files["/bad.CLB"] = {test::WithKey(mine, "Signal2", "x")};
    store.files["/others.CLB"] = {CalibrationGroup("Kalibrace\\Snimac01", file, "x"),
                                  CalibrationGroup("Kalibrace\\Snimac03", file, "x")};
    const std::pair<const char*, const char*> refused[] = {
        {"/none.CLB", "Kalibrační soubor nelze přečíst: /none.CLB\r\nNo such file or directory"},
        {"/others.CLB",
         "V kalibračním souboru /others.CLB není skupina [Kalibrace\\Snimac02] ani [Kalibrace]."},
        {"/bad.CLB", "Kalibrační soubor /bad.CLB nelze načíst, skupina [Kalibrace\\Snimac02]:\r\n"
                     "Položka \"Signal2\" není číslo: \"x\"."},
    };
    const SensorRecord before = m.xXx;
    for (const auto& [path, message] : refused) {
        SCOPED_TRACE(path);
        view.fileAnswers = {path};
        EXPECT_FALSE(m.mFileOpen_Click());
        EXPECT_EQ(view.criticals.back(), message);
        EXPECT_EQ(Curve(), "1:10 2:20 ");
        EXPECT_EQ(m.fields.txtPopis, "typed");
        EXPECT_EQ(m.xXx, before);
    }

    view.fileAnswers = {"/f.CLB"};
    ASSERT_TRUE(m.mFileOpen_Click());
    EXPECT_EQ(view.calls.back().dialog.filter,
              "Calibration files (*.CLB)|*.CLB|All files (*.*)|*.*");
    // the input's own group, into the same block
    EXPECT_EQ(Curve(), "0:0 0.5:49.5 1:100 ");
    EXPECT_EQ(m.fields.caption.czech(), "Kalibrace [ Ze souboru ] Adr=4 SubAdr=1");
    EXPECT_EQ(m.xXx.subAdr, 1);
}

TEST_F(EditorModel, UnsavedPointsAreKeptAndOfferedAtTheNextEditingOfTheSensor) {
    const std::string folder = ::testing::TempDir() + "drafts-" + std::to_string(::getpid());
    m.draftFolder = folder;
    m.UpdateCalibration();
    Type({{"1", "10"}, {"2", "20"}});
    m.KeepDraft();

    // The program ends without a store; the next editing of the sensor.
    ScriptedPointDialog again;
    CalibrationEditorModel next{ops, again};
    next.xXx = m.xXx;
    next.xXx.pointCount = 0;
    next.draftFolder = folder;
    next.UpdateCalibration();
    view.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(next.OfferDraft());
    LastBoxBegins("Pro tento snímač jsou uloženy neuložené body z předchozí úpravy (bodů: 2, 20");
    EXPECT_EQ(Curve(&next), "1:10 2:20 ");
    // Given up after the question ("Storno", as the window runs it): not
    // offered again.
    view.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(next.MayLeave());
    next.cmdAction_Click(0);
    next.KeepDraft();
    EXPECT_FALSE(next.OfferDraft());
    std::filesystem::remove_all(folder);
}

TEST_F(EditorModel, NewAndRemoveCurveAskWithNoPreselected) {
    Type({{"1", "10"}, {"2", "20"}});
    // A new curve first asks whether the changed curve may go; No to any
    // question keeps the points.
    const std::string discard = "Křivka se od otevření editoru změnila a není uložená. Zavřít "
                                "editor a zahodit ji (bodů: 2)?";
    const std::string fresh = "Do you really want to create new calibration data ?";
    const std::string remove = "Do you really want to remove all points of the curve ?";
    const std::pair<std::deque<MessageAnswer>, Texts> asks[] = {
        {{MessageAnswer::No}, {discard}},
        {{MessageAnswer::Yes, MessageAnswer::No}, {discard, fresh}},
        {{MessageAnswer::No}, {remove}},
    };
    for (const auto& [answers, asked] : asks) {
        view.calls.clear();
        view.answers = answers;
        (asked[0] == remove) ? m.mKrivkaDelete_Click() : m.mKrivkaNew_Click();
        EXPECT_EQ(view.messageTexts(), asked);
        EXPECT_EQ(view.calls.back().defaultButton, MessageAnswer::No);
        EXPECT_EQ(m.points.count(), 2);
    }
    EXPECT_EQ(view.calls[0].defaultButton, MessageAnswer::No);

    view.answers = {MessageAnswer::Yes};
    m.mKrivkaDelete_Click();
    EXPECT_TRUE(m.fields.lstKrivka.empty());
    EXPECT_EQ(m.Tag, EditorTag::None); // unlike a new curve, the run goes on
    Type({{"1", "10"}});
    view.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    m.mKrivkaNew_Click();
    EXPECT_EQ(m.Tag, EditorTag::New);
    EXPECT_EQ(m.xXx.pointCount + m.points.count(), 0);
}

} // namespace
} // namespace rm27
