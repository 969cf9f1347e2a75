// The calibration commands on virtual time against the simulated converter.
#include <gtest/gtest.h>

#include <bit>

#include "calibration/commands.h"
#include "calibration/texts.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "reading/operations.h"
#include "support/calibration_rig.h"

namespace rm27 {
namespace {

namespace tx = texts::calibration;

using Entry = ScriptedPointDialog::Entry;
using Texts = std::vector<std::string>;

// A single written to four cells, "LT", and the read-back of the cells.
Texts FloatWrite(int cell, float value) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    Texts out;
    for (int k = 0; k < 4; ++k, bits >>= 8) {
        out.push_back("$01EW" + LongToHex(cell + k, 2) +
                      LongToHex(static_cast<std::int32_t>(bits & 0xFF), 2) + "\r");
    }
    out.push_back("$01LT\r");
    for (int k = 0; k < 4; ++k)
        out.push_back("$01ER" + LongToHex(cell + k, 2) + "\r");
    return out;
}

class Constants : public test::CalibrationRig {
protected:
    Constants() {
        addConverter(1);
        state.DeviceAddress = 1;
        state.DeviceId = "0123RM2712";
        for (int i = 0; i < 4; ++i) {
            state.Q[i] = 8388608;
            live.raw[i] = 8428608; // reading - Q = 40000
            state.records[i].gainCode = 7;
        }
        // As a reading leaves them: what a write of cells replaces is known.
        for (int cell = 0; cell < 256; ++cell)
            RememberCell(ops, cell, conv().memory(cell));
        live.seen.fill(true);
        view.timer = true;
    }
    Result Run(int index) {
        Result outcome = ResultCode::NotRun;
        session.run([&](Operations& o) { outcome = SetmVVKQ(o, index); });
        return outcome;
    }
};

TEST_F(Constants, ZeroAndSlopeOfTheThirdInputGoToTheirCells) {
    live.raw[2] = 9000000;
    ASSERT_EQ(Run(2), ResultCode::Ok);
    EXPECT_EQ(framesAfter(0), FloatWrite(160, 9000000.0f));
    line.waitFor(20); // "LT" on its way
    EXPECT_EQ(conv().activeQ(2), 9000000.0f);
    EXPECT_EQ(state.Q[2], 9000000);
    EXPECT_EQ(view.caption(ctl::lblR38mVVQ(2)), " 9000000");
    EXPECT_TRUE(view.timer);

    const std::size_t before = line.sent().size();
    live.raw[2] = 9040000;
    ASSERT_EQ(Run(6), ResultCode::Ok);
    EXPECT_EQ(framesAfter(before), FloatWrite(164, 5e-5f));
    EXPECT_EQ(view.caption(ctl::lblR38mVVK(2)), "5.0000 E-05");
}

TEST_F(Constants, SlopeIsReferredTo128xUnlessTheInputSaysOtherwise) {
    const struct {
        int index;
        int gain;
        std::int32_t definition;
        const char* answer; // the "x" button's answer
        float expected;
    } cases[] = {
        {4, 7, 0x00, nullptr, 5e-5f},  {4, 5, 0x00, nullptr, 1.25e-5f},
        {4, 5, 0x02, nullptr, 5e-5f},  {4, 5, 0xFD, nullptr, 1.25e-5f},
        {8, 7, 0x00, "2", 5e-5f},      {8, 5, 0x02, "2", 1.25e-5f},
        {8, 7, 0x00, "1,5", 3.75e-5f}, {8, 0, 0x00, "1.28", 2.5e-7f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " " + std::to_string(c.gain));
        state.records[0].gainCode = c.gain;
        state.definitionBytes[0] = c.definition;
        if (c.answer) view.inputAnswers = {c.answer};
        ASSERT_EQ(Run(c.index), ResultCode::Ok);
        EXPECT_FLOAT_EQ(static_cast<float>(state.K[0]), c.expected);
        EXPECT_EQ(conv().memoryFloat(CellK(0)), static_cast<float>(state.K[0]));
    }
    EXPECT_EQ(view.calls[0].defaultText, "2"); // the "x" button offers 2 mV/V
}

TEST_F(Constants, RefusedConstantsSendNothing) {
    live.raw[3] = static_cast<float>(state.Q[3]); // reading equal to the zero
    const std::string zero = "nemuze to byt nula";
    const std::string entered = "Zadaná hodnota mV/V: hodnotu ";
    const struct {
        int index;
        const char* answer;         // the "x" button's answer
        void (*spoil)(Operations&); // what the converter did not say cleanly
        Result outcome;
        std::string message;    // how the critical box begins; "" for none
        bool timerAfter = true; // a zero typed leaves the measurement stopped
    } cases[] = {
        {9, "", nullptr, ResultCode::ZeroEntered, zero, false},
        {9, "1e-50", nullptr, ResultCode::ZeroEntered, zero, false}, // 0 as a single
        {9, "1e40", nullptr, ResultCode::Refused, entered + "1e+40 nelze použít"},
        {9, "1e-37", nullptr, ResultCode::Refused, "Strmost K vstupu 2: hodnotu "}, // K denormal
        {7, nullptr, nullptr, ResultCode::Refused, tx::kSlopeUndefined.czech},
        {0, nullptr, [](Operations& o) { o.live.seen[0] = false; }, ResultCode::Refused,
         "Vstup 1 nemá živou hodnotu"},
        {4, nullptr, [](Operations& o) { o.live.doubts[0].raw = kDoubtBadCharacter; },
         ResultCode::Refused, "Živá hodnota vstupu 1 je nejistá"},
        {4, nullptr, [](Operations& o) { o.state.doubts.records[0] = kDoubtDerived; },
         ResultCode::Refused, "Nula (Q) nebo zesílení"},
        // a zero needs no Q
        {0, nullptr, [](Operations& o) { o.state.doubts.Q[0] = kDoubtNoAnswer; }, ResultCode::Ok,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " " + (c.answer ? c.answer : "") + c.message);
        const DeviceState clean = state;
        const LiveValues cleanLive = live;
        if (c.spoil) c.spoil(ops);
        if (c.answer) view.inputAnswers = {c.answer};
        view.timer = true;
        view.criticals.clear();
        const std::size_t before = line.sent().size();
        EXPECT_EQ(Run(c.index), c.outcome);
        EXPECT_EQ(view.timer, c.timerAfter);
        state = clean;
        live = cleanLive;
        if (c.message.empty()) {
            EXPECT_TRUE(view.criticals.empty());
            continue;
        }
        EXPECT_TRUE(framesAfter(before).empty());
        ASSERT_EQ(view.criticals.size(), 1u);
        EXPECT_EQ(view.criticals[0].rfind(c.message, 0), 0u) << view.criticals[0];
        EXPECT_TRUE(!c.spoil ||
                    view.criticals[0].find(tx::kNothingWritten.czech) != std::string::npos);
    }
    EXPECT_EQ(conv().memoryFloat(CellK(1)), sim::kDefaultK);
}

TEST_F(Constants, ASpanOfFewDivisionsIsAskedAboutBeforeTheSlopeGoesOut) {
    live.raw[1] = static_cast<float>(state.Q[1] + 3); // an unloaded input
    bool measuringWhileAsked = true;
    view.whileOpen = [&] { measuringWhileAsked = view.timer; };
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        const bool no = answer == MessageAnswer::No;
        view.answers = {answer};
        const std::size_t before = line.sent().size();
        EXPECT_EQ(Run(5), no ? ResultCode::Refused : ResultCode::Ok);
        EXPECT_EQ(view.calls.back().text, "Vstup 2 je od nuly (Q) vzdálen jen 3 dílků: strmost "
                                          "by byla K = 6.6667 E-01. Opravdu ji zapsat?");
        EXPECT_EQ(view.calls.back().defaultButton, MessageAnswer::No);
        EXPECT_FALSE(measuringWhileAsked);
        EXPECT_TRUE(view.timer);
        EXPECT_EQ(framesAfter(before).empty(), no);
    }
    EXPECT_EQ(conv().memoryFloat(CellK(1)), 2.0f / 3.0f);
}

TEST_F(Constants, TheMeasurementIsStoppedBeforeTheWriteAndTheLabelsShowAtOnce) {
    RunMeasurementTimer();
    line.waitFor(2000);
    const std::size_t before = line.sent().size();
    const std::int64_t start = line.nowMs();
    ASSERT_EQ(Run(1), ResultCode::Ok);
    EXPECT_EQ(state.Q[1], live.raw[1]);
    ASSERT_EQ(framesAfter(before), FloatWrite(152, static_cast<float>(state.Q[1])));
    // The first write waits out the last tick's answer, and so does the
    // read-back after "LT" and the restart of the measurement.
    EXPECT_GE(line.sent()[before].timeMs - start, 500);
    EXPECT_GE(line.sent()[before + 5].timeMs - line.sent()[before + 4].timeMs, 500);
    EXPECT_EQ(view.caption(ctl::lblR38mVVQ(1)), FormatFixed(state.Q[1], "#######0"));
}

TEST_F(Constants, FilterGoesToCellFiveAndIsCheckedWhereItLanded) {
    Result outcome = ResultCode::NotRun;
    const auto write = [&](int code) {
        session.run([&](Operations& o) { outcome = WriteFilter(o, code); });
    };
    write(12);
    ASSERT_EQ(outcome, ResultCode::Ok);
    EXPECT_EQ(framesAfter(0), (Texts{"$01EW050C\r", "$01ER05\r"}));
    EXPECT_EQ(state.FilterCode, 12);
    // 500 ms stop, then the frame, 100 + 100 ms around reading its echo;
    // the read-back after another stop
    EXPECT_EQ(line.sent()[0].timeMs, 500);
    EXPECT_EQ(line.sent()[1].timeMs, 1200);
    write(-1);
    EXPECT_EQ(outcome, ResultCode::NotRun);
    EXPECT_EQ(line.sent().size(), 2u);

    bus.faults().next("EW05", sim::Fault::alteredIndex());
    write(3);
    EXPECT_EQ(outcome, ResultCode::NotConfirmed);
    EXPECT_EQ(conv().memory(0x04), 3); // where it went
    EXPECT_EQ(view.criticals, Texts{"Zápis do paměti převodníku se nepodařil: na adrese 05h je "
                                    "0Ch, zapsáno bylo 03h."});
}

TEST_F(Constants, AWriteIsReportedByWhatTheConverterHoldsNotByItsEchoes) {
    const struct {
        const char* name;
        sim::RequestMatch match;
        sim::Fault fault;
        int times;
        Result outcome;
        const char* message; // the start of the critical message, "" for none
    } cases[] = {
        // The location is hit on its way in: the echo is right, the byte
        // lands in the neighbouring cell.
        {"altered location", sim::RequestMatch("EW", 0, 0x92), sim::Fault::alteredIndex(), 1,
         ResultCode::NotConfirmed, "Zápis do paměti převodníku se nepodařil: na adrese 92h je"},
        // The echo never comes, but the converter took the byte.
        {"lost echo", "EW", sim::Fault::noAnswer(), 1, ResultCode::Ok, ""},
        {"silent read-back", sim::RequestMatch("ER", 0, 0x90), sim::Fault::noAnswer(), 4,
         ResultCode::NotConfirmed,
         "Zápis do paměti převodníku nelze ověřit: adresu 90h se nepodařilo"},
        // A doubtful answer is asked again; one that stays so proves nothing.
        {"non-hex read-back", sim::RequestMatch("ER", 0, 0x91), sim::Fault::nonHex(0, '#'),
         kCellAsks, ResultCode::NotConfirmed,
         "Zápis do paměti převodníku nelze ověřit: adresu 91h"},
        {"non-hex once", sim::RequestMatch("ER", 0, 0x91), sim::Fault::nonHex(0, '#'), 1,
         ResultCode::Ok, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        conv().setMemoryFloat(CellQ(0), 1.0f);
        for (int k = 0; k < 4; ++k) // as a reading since would know them
            RememberCell(ops, CellQ(0) + k, conv().memory(CellQ(0) + k));
        bus.faults().clear();
        bus.faults().next(c.match, c.fault, c.times);
        view.criticals.clear();
        ASSERT_EQ(Run(0), c.outcome);
        EXPECT_TRUE(view.timer);
        if (*c.message == '\0') {
            EXPECT_TRUE(view.criticals.empty());
            EXPECT_EQ(conv().memoryFloat(CellQ(0)), static_cast<float>(state.Q[0]));
        } else {
            ASSERT_EQ(view.criticals.size(), 1u);
            EXPECT_EQ(view.criticals[0].rfind(c.message, 0), 0u) << view.criticals[0];
        }
        line.waitFor(6000); // stragglers and owed answers of one case do not reach the next
        port.flush();
    }
}

// ------------------------------------------------------- the editing run

class EditingRun : public test::CalibrationRig {
protected:
    EditingRun() {
        sim::ConverterSetup setup = test::AtAddress(1);
        setup.plugged = {true, false, false, false};
        setup.signalMvV = {0.0, 1.0, 1.5, 2.0};
        setup.noiseMvV = 0;
        bus.add(setup);
        SetDecimalSeparator('.');
    }
    ~EditingRun() override { SetDecimalSeparator('\0'); }

    // "Změnit" with the scripted editor, and "Načíst" after it.
    CalibrationRun Change(int input) {
        CalibrationRun run;
        session.run([&](Operations& o) {
            run = ChangeCalibration(o, input, editor, [&](Operations& oo) {
                ++reads;
                DevRead(oo, 1);
            });
        });
        return run;
    }
    void At(std::int64_t ms, std::function<void(CalibrationEditorModel&)> action) {
        editor.actions.emplace_back(ms, std::move(action));
    }
    Texts Kw() const { return framesStartingWith("$01KW"); }

    test::ScriptedEditor editor{line, ops};
    int reads = 0;
};

TEST_F(EditingRun, ACapturedAndATypedPointGoIntoTheEKeyWithTheMeasurementStoppedAround) {
    ReadAndMeasure();
    // a weight hung while the editor is open
    conv().setSignalScript(0, {{static_cast<double>(line.nowMs()) + 2000, 1.0}});
    At(3500, [&](CalibrationEditorModel& m) {
        m.points.Clear();
        editor.dialog.script = {Entry{{}, "49,5", false}, Entry{"1,5", "75", false}};
        m.cmdSCAN_Click();
        m.mKrivkaBodAdd_Click();
        m.fields.txtPopis = "Siločlen 100 kg";
        m.fields.txtJednotka = "kg";
        m.fields.cmbFormat = 1;
        m.fields.cmbSlide = 4;
        view.answers = {MessageAnswer::Yes};
        m.cmdAction_Click(1);
    });
    const std::size_t before = line.sent().size();
    const CalibrationRun run = Change(0);
    ASSERT_TRUE(run.stored()) << static_cast<int>(run.tag) << " " << run.writeResult;

    // the live signal reached the open editor: the line was free for the ticks
    EXPECT_NE(std::find(editor.signalLabels.begin(), editor.signalLabels.end(), "   1.0000"),
              editor.signalLabels.end());
    // the store's statuses: the measurement's last request waited out
    // before the write, the restart waited out before measuring again
    const std::int64_t stop = view.timeOfStatus("Zastavuji měření ...");
    const std::int64_t start = view.timeOfStatus("Spouštím měření ...");
    EXPECT_GE(view.timeOfStatus("Ukládám kalibraci (Vstup 1) ...") - stop, 500);
    EXPECT_GE(start - timeOfFrame("$01X\r"), 500);
    EXPECT_GE(view.timeOfStatus("OK, měření spuštěno."), start);
    for (const auto& f : line.sent()) {
        EXPECT_FALSE(f.text == "$01MK\r" && f.timeMs > stop && f.timeMs < start) << f.timeMs;
    }

    // the eKey presence first; the built image to input 0's eKey, then the
    // restart
    const Texts kw = Kw();
    ASSERT_EQ(kw.size(), run.image.size());
    EXPECT_EQ(kw.back(), "$01KW00" + LongToHex(static_cast<std::int32_t>(kw.size()) - 1, 2) +
                             LongToHex(static_cast<unsigned char>(run.image.back()), 2) + "\r");
    EXPECT_EQ(conv().block(0).substr(0, run.image.size()), run.image);
    EXPECT_EQ(line.sent()[indexOfFrame(kw.back()) + 1].text, "$01X\r");
    const Texts after = framesAfter(before);
    EXPECT_LT(std::find(after.begin(), after.end(), "$01KQ\r"),
              std::find(after.begin(), after.end(), kw[0]));

    // the converter's block decodes to the edited record, and so does the re-read
    SensorRecord decoded;
    ASSERT_EQ(DecodeEKeyImage(conv().block(0), decoded, 0, 0, 0), ResultCode::Ok);
    EXPECT_EQ(reads, 1);
    for (const SensorRecord* rec : {&decoded, &state.records[0]}) {
        EXPECT_EQ(TrimBlanks(rec->description), "Siločlen 100 kg");
        EXPECT_EQ(TrimBlanks(rec->unit), "kg");
        EXPECT_EQ(TrimBlanks(rec->numberFormat), "####0.0");
        EXPECT_EQ(rec->slidingLength, 5);
        ASSERT_EQ(rec->pointCount, 2);
        // three-byte device floats: 15 bits of mantissa
        EXPECT_NEAR(rec->pointSignals[0], 1.0, 1e-4);
        EXPECT_NEAR(rec->userValues[0], 49.5, 1e-2);
        EXPECT_NEAR(rec->pointSignals[1], 1.5, 1e-4);
        EXPECT_NEAR(rec->userValues[1], 75, 1e-2);
    }
}

TEST_F(EditingRun, HowTheRunEndsDecidesWhatIsWritten) {
    ReadAndMeasure();
    using Action = std::function<void(CalibrationEditorModel&)>;
    const auto store = [](Action spoil) {
        return [=](CalibrationEditorModel& m) {
            spoil(m);
            m.Tag = EditorTag::Store;
        };
    };
    const struct {
        const char* name;
        Action ending;
        EditorTag tag;
        bool stored;
        std::string message; // the plain box the store ends with, "" for none
    } cases[] = {
        // clang-format off
        {"Storno", [](auto& m) { m.cmdAction_Click(0); }, EditorTag::Cancel, false, ""},
        {"the close box", [&](auto&) { editor.Unload(); }, EditorTag::Closed, false, ""},
        {"a new curve", [&](auto& m) { view.answers = {MessageAnswer::Yes}; m.mKrivkaNew_Click(); },
         EditorTag::New, false, ""},
        {"a curve of one point", store([](auto& m) { m.xXx.pointCount = 1; }), EditorTag::Store,
         false, "Nelze uložit křivku [ERR:-2]"},
        {"a tare left in the record", store([](auto& m) { m.xXx.zeroOffset = 7; }),
         EditorTag::Store, true, ""},
        {"an eKey pulled out", store([&](auto&) { conv().setPlugged(0, false); }), EditorTag::Store,
         false, "Chyba ukládání kalibrace. [ERR:-1]"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        editor.actions = {{800, c.ending}};
        const std::size_t xBefore = framesStartingWith("$01X").size();
        const std::size_t kwBefore = Kw().size();
        const std::size_t calls = view.calls.size();
        const CalibrationRun run = Change(0);
        EXPECT_EQ(run.tag, c.tag);
        EXPECT_EQ(run.stored(), c.stored);
        // a store restarts the converter, however it went
        EXPECT_EQ(framesStartingWith("$01X").size() - xBefore, c.tag == EditorTag::Store ? 1u : 0u);
        EXPECT_EQ(Kw().size() > kwBefore, c.tag == EditorTag::Store && run.built.size() > 0);
        EXPECT_TRUE(!c.stored || conv().block(0).substr(78, 4) == std::string(4, '\0'));
        if (!c.message.empty()) {
            ASSERT_GT(view.calls.size(), calls);
            EXPECT_EQ(view.calls.back().text, c.message);
            EXPECT_EQ(view.calls.back().icon, MessageIcon::None);
        }
        EXPECT_TRUE(view.timer);
        EXPECT_FALSE(editor.visible);
    }
    EXPECT_EQ(editor.loads, 1); // hidden and reused, not loaded again
    EXPECT_EQ(reads, static_cast<int>(std::size(cases)));
}

TEST_F(EditingRun, LoadFromSensorReadsTheBlockAgainWithTheLineHeld) {
    ReadAndMeasure();
    // the sensor was calibrated elsewhere since the reading
    SensorRecord elsewhere = state.records[0];
    elsewhere.description = FixedText("Jinde kalibrováno", kDescriptionWidth);
    elsewhere.pointCount = 2;
    elsewhere.pointSignals = {0, 2};
    elsewhere.userValues = {0, 40};
    std::string image;
    ASSERT_TRUE(BuildEKeyImage(image, elsewhere, 1, clock.when).ok());
    conv().setBlock(0, image);

    bool heldWhileReading = false;
    std::int64_t clicked = 0;
    int ticksAtClick = 0;
    At(1000, [&](CalibrationEditorModel& m) {
        clicked = line.nowMs();
        ticksAtClick = answeredTicks;
        // the "KB" answer is on its way 600 ms after the click
        line.after(600, [&] { heldWhileReading = guard.lineHeld(); });
        ASSERT_TRUE(m.mLoadEEKrivka_Click());
    });
    At(6000, [&](CalibrationEditorModel& m) {
        EXPECT_GT(answeredTicks, ticksAtClick + 2); // measuring again
        EXPECT_EQ(m.fields.txtPopis, elsewhere.description);
        EXPECT_EQ(m.fields.lstKrivka.size(), 2u);
        EXPECT_EQ(m.xXx.adr, 0);
        // the block is what the next write's backup keeps
        ASSERT_NE(cache.block(0), nullptr);
        EXPECT_EQ(cache.block(0)->image, conv().block(0));
        // a block that is no calibration leaves the editor as it was
        conv().setBlock(0, std::string(256, '\xFF'));
        EXPECT_FALSE(m.mLoadEEKrivka_Click());
        EXPECT_EQ(m.fields.lstKrivka.size(), 2u);
        m.cmdAction_Click(0);
    });
    session.run([&](Operations& o) { DoCalibration(o, 0, editor); });
    EXPECT_TRUE(heldWhileReading);
    EXPECT_EQ(view.criticals, Texts{"Blok 0 neobsahuje kalibrační data: no FSN mark [ERR:-34]"});
    // the measurement's last request waited out, then the read; no measuring
    // in between
    std::int64_t kb = -1;
    for (const auto& f : line.sent()) {
        if (f.text == "$01KB00\r" && f.timeMs > clicked && kb < 0) kb = f.timeMs;
    }
    ASSERT_GE(kb - clicked, 500);
    for (const auto& f : line.sent()) {
        EXPECT_FALSE(f.text == "$01MK\r" && f.timeMs > clicked && f.timeMs < kb) << f.timeMs;
    }
    EXPECT_TRUE(view.timer);
}

TEST_F(EditingRun, ClosingTheProgramEndsTheWaitAndWritesNothing) {
    ReadAndMeasure();
    At(700, [&](CalibrationEditorModel&) { guard.cancel(); });
    const std::size_t before = line.sent().size();
    const std::size_t statusesBefore = view.statuses.size();
    EXPECT_EQ(Change(2).tag, EditorTag::None);
    // it unwinds at once: no restart of the measurement is reported
    EXPECT_EQ(view.statuses.size(), statusesBefore);
    EXPECT_FALSE(editor.visible);
    EXPECT_EQ(reads, 0);
    for (const std::string& f : framesAfter(before))
        EXPECT_TRUE(f == "$01MK\r" || f == "$01KQ\r") << f;
}

} // namespace
} // namespace rm27
