// The calibration commands on virtual time against the simulated converter.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "calibration/commands.h"
#include "session/measurement_status.h"
#include "calibration/texts.h"
#include "link/codecs.h"
#include "link/memory.h"
#include "reading/operations.h"
#include "sim/sensor_images.h"
#include "support/calibration_rig.h"

namespace rm27 {
namespace {

namespace tx = texts::calibration;

using Entry = ScriptedPointDialog::Entry;

std::vector<std::string> FloatFrames(int cell, float value) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    std::vector<std::string> out;
    for (int k = 0; k < 4; ++k, bits >>= 8) {
        out.push_back("$01EW" + LongToHex(cell + k, 2) +
                      LongToHex(static_cast<std::int32_t>(bits & 0xFF), 2) + "\r");
    }
    return out;
}

// The read-back after a command's steps: one "ER" per cell written.
std::vector<std::string> ReadBackFrames(int cell, int count) {
    std::vector<std::string> out;
    for (int k = 0; k < count; ++k)
        out.push_back("$01ER" + LongToHex(cell + k, 2) + "\r");
    return out;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
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
    std::vector<std::string> Sent() const { return framesAfter(0); }
};

TEST_F(Constants, ZeroAndSlopeOfTheThirdInputGoToTheirCells) {
    live.raw[2] = 9000000;
    ASSERT_EQ(Run(2), ResultCode::Ok);
    std::vector<std::string> expected = FloatFrames(160, 9000000.0f);
    expected.push_back("$01LT\r");
    EXPECT_EQ(Sent(), Joined(expected, ReadBackFrames(160, 4)));
    EXPECT_EQ(conv().memoryFloat(160), 9000000.0f);
    line.waitFor(20); // "LT" on its way
    EXPECT_EQ(conv().activeQ(2), 9000000.0f);
    EXPECT_EQ(state.Q[2], 9000000);
    EXPECT_EQ(view.caption(ctl::lblR38mVVQ(2)), " 9000000");
    EXPECT_TRUE(view.timer);

    const std::size_t before = line.sent().size();
    live.raw[2] = 9040000;
    ASSERT_EQ(Run(6), ResultCode::Ok);
    expected = FloatFrames(164, 5e-5f);
    expected.push_back("$01LT\r");
    EXPECT_EQ(framesAfter(before), Joined(expected, ReadBackFrames(164, 4)));
    EXPECT_EQ(view.caption(ctl::lblR38mVVK(2)), "5.0000 E-05");
}

TEST_F(Constants, SlopeIsReferredTo128xUnlessTheInputSaysOtherwise) {
    struct Case {
        int index;
        int gain;
        std::int32_t definition;
        const char* answer; // the "x" button's answer
        float expected;
    };
    const Case cases[] = {
        {4, 7, 0x00, nullptr, 5e-5f},  {4, 5, 0x00, nullptr, 1.25e-5f},
        {4, 5, 0x02, nullptr, 5e-5f},  {4, 5, 0xFD, nullptr, 1.25e-5f},
        {8, 7, 0x00, "2", 5e-5f},      {8, 5, 0x02, "2", 1.25e-5f},
        {8, 7, 0x00, "1,5", 3.75e-5f}, {8, 0, 0x00, "1.28", 2.5e-7f},
    };
    for (const Case& c : cases) {
        state.records[0].gainCode = c.gain;
        state.definitionBytes[0] = c.definition;
        if (c.answer) view.inputAnswers = {c.answer};
        ASSERT_EQ(Run(c.index), ResultCode::Ok) << c.index << " " << c.gain;
        EXPECT_FLOAT_EQ(static_cast<float>(state.K[0]), c.expected) << c.index << " " << c.gain;
        EXPECT_EQ(conv().memoryFloat(148), static_cast<float>(state.K[0]));
        EXPECT_EQ(line.sent().back().text, "$01ER97\r");
    }
    ASSERT_EQ(view.calls.size(), 4u);
    EXPECT_EQ(view.calls[0].kind, test::PromptCall::Input);
    EXPECT_EQ(view.calls[0].text, "Zadejte kolik to je mVV");
    EXPECT_EQ(view.calls[0].title, ""); // the program's title
    EXPECT_EQ(view.calls[0].defaultText, "2");
}

TEST_F(Constants, RefusedSlopesSendNothing) {
    live.raw[3] = static_cast<float>(state.Q[3]); // reading equal to the zero
    struct Case {
        int index;
        const char* answer; // the "x" button's answer
        Result outcome;
        std::string message; // how the critical box begins
        bool timerAfter;     // a zero typed leaves the measurement stopped
    };
    const std::string entered = "Zadaná hodnota mV/V: hodnotu ";
    const Case cases[] = {
        {9, "0", ResultCode::ZeroEntered, "nemuze to byt nula", false},
        {9, "", ResultCode::ZeroEntered, "nemuze to byt nula", false},
        {9, "0,0", ResultCode::ZeroEntered, "nemuze to byt nula", false},
        {9, "abc", ResultCode::ZeroEntered, "nemuze to byt nula", false},
        {9, "-0", ResultCode::ZeroEntered, "nemuze to byt nula", false},
        {9, "1e-50", ResultCode::ZeroEntered, "nemuze to byt nula", false}, // 0 as a single
        {9, "1e40", ResultCode::Refused, entered + "1e+40 nelze použít", true},
        {9, "-1e39", ResultCode::Refused, entered + "-1e+39 nelze použít", true},
        {9, "1e-40", ResultCode::Refused, entered + "1e-40 nelze použít", true}, // denormal
        {9, "1e-37", ResultCode::Refused, "Strmost K vstupu 2: hodnotu ", true}, // K denormal
        {7, "2", ResultCode::Refused, tx::kSlopeUndefined.czech, true},
        {11, "2", ResultCode::Refused, tx::kSlopeUndefined.czech, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " " + c.answer);
        view.inputAnswers = {c.answer};
        const std::size_t before = line.sent().size();
        view.timer = true;
        EXPECT_EQ(Run(c.index), c.outcome);
        EXPECT_TRUE(framesAfter(before).empty());
        EXPECT_EQ(view.timer, c.timerAfter);
        EXPECT_EQ(view.criticals.back().rfind(c.message, 0), 0u) << view.criticals.back();
    }
    EXPECT_EQ(view.criticals.size(), std::size(cases));
    EXPECT_EQ(conv().memoryFloat(CellK(1)), sim::kDefaultK);
    EXPECT_EQ(state.K[3], 0);
}

TEST_F(Constants, ZeroAndSlopeRefuseWhatTheConverterDidNotSayCleanly) {
    struct Case {
        int index;
        void (*spoil)(Operations&);
        const char* message; // empty: written
    };
    const Case cases[] = {
        {0, [](Operations& o) { o.live.seen[0] = false; }, "Vstup 1 nemá živou hodnotu"},
        {4, [](Operations& o) { o.live.seen[0] = false; }, "Vstup 1 nemá živou hodnotu"},
        {4, [](Operations& o) { o.live.doubts[0].raw = kDoubtBadCharacter; },
         "Živá hodnota vstupu 1 je nejistá"},
        {4, [](Operations& o) { o.state.doubts.Q[0] = kDoubtNoAnswer; }, "Nula (Q) nebo zesílení"},
        {4, [](Operations& o) { o.state.doubts.records[0] = kDoubtDerived; },
         "Nula (Q) nebo zesílení"},
        {0, [](Operations& o) { o.state.doubts.Q[0] = kDoubtNoAnswer; }, ""}, // a zero needs no Q
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " " + c.message);
        const DeviceState clean = state;
        const LiveValues cleanLive = live;
        c.spoil(ops);
        const std::size_t before = line.sent().size();
        const std::size_t criticals = view.criticals.size();
        const Result outcome = Run(c.index);
        if (*c.message == 0) {
            EXPECT_EQ(outcome, ResultCode::Ok);
        } else {
            EXPECT_EQ(outcome, ResultCode::Refused);
            EXPECT_TRUE(framesAfter(before).empty());
            ASSERT_EQ(view.criticals.size(), criticals + 1);
            EXPECT_EQ(view.criticals.back().rfind(c.message, 0), 0u) << view.criticals.back();
            EXPECT_NE(view.criticals.back().find(tx::kNothingWritten.czech), std::string::npos);
        }
        EXPECT_TRUE(view.timer);
        state = clean;
        live = cleanLive;
    }
}

TEST_F(Constants, ASpanOfFewDivisionsIsAskedAboutBeforeTheSlopeGoesOut) {
    live.raw[1] = static_cast<float>(state.Q[1] + 3); // an unloaded input
    bool measuringWhileAsked = true;
    view.whileOpen = [&] { measuringWhileAsked = view.timer; };
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        view.answers = {answer};
        const std::size_t before = line.sent().size();
        const Result outcome = Run(5);
        const test::PromptCall& q = view.calls.back();
        EXPECT_EQ(q.text, "Vstup 2 je od nuly (Q) vzdálen jen 3 dílků: strmost by byla K = "
                          "6.6667 E-01. Opravdu ji zapsat?");
        EXPECT_EQ(q.defaultButton, MessageAnswer::No);
        EXPECT_FALSE(measuringWhileAsked);
        EXPECT_TRUE(view.timer);
        if (answer == MessageAnswer::No) {
            EXPECT_EQ(outcome, ResultCode::Refused);
            EXPECT_TRUE(framesAfter(before).empty());
        } else {
            EXPECT_EQ(outcome, ResultCode::Ok);
            EXPECT_EQ(conv().memoryFloat(CellK(1)), 2.0f / 3.0f);
        }
    }
}

TEST_F(Constants, TheMeasurementIsStoppedBeforeTheWriteAndTheLabelsShowAtOnce) {
    RunMeasurementTimer();
    line.waitFor(2000);
    const std::size_t before = line.sent().size();
    const std::int64_t start = line.nowMs();
    ASSERT_EQ(Run(1), ResultCode::Ok);
    const auto frames = framesAfter(before);
    ASSERT_EQ(frames.size(), 9u);
    // The first write waits out the last tick's answer, and so does the
    // read-back after "LT" and the restart of the measurement.
    EXPECT_GE(line.sent()[before].timeMs - start, 500);
    EXPECT_EQ(frames[4], "$01LT\r");
    EXPECT_GE(line.sent()[before + 5].timeMs - line.sent()[before + 4].timeMs, 500);
    EXPECT_EQ(state.Q[1], live.raw[1]);
    EXPECT_EQ(view.caption(ctl::lblR38mVVQ(1)), FormatFixed(state.Q[1], "#######0"));
    line.waitFor(20);
    EXPECT_EQ(conv().activeQ(1), static_cast<float>(state.Q[1]));
}

TEST_F(Constants, FilterGoesToCellFiveWithTheEchoWaits) {
    // what the operator is told as it goes comes from the journal
    std::vector<std::string> told;
    session.journal().observe(
        [&](const JournalEntry& e) { told.push_back(WriteConfirmation(e).czech()); });
    Result outcome = ResultCode::NotRun;
    session.run([&](Operations& o) { outcome = WriteFilter(o, 12); });
    ASSERT_EQ(outcome, ResultCode::Ok);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"$01EW050C\r", "$01ER05\r"}));
    EXPECT_EQ(conv().memory(kCellFilter), 12);
    EXPECT_EQ(state.FilterCode, 12);
    EXPECT_TRUE(view.timer);
    // 500 ms stop, then the frame, 100 + 100 ms around reading its echo;
    // the read-back after another stop
    EXPECT_EQ(line.sent()[0].timeMs, 500);
    EXPECT_EQ(line.sent()[1].timeMs, 1200);
    EXPECT_EQ(told, (std::vector<std::string>{
                        "Zapisuji: filtr, Adresa paměti 05h …",
                        "Zapsáno a ověřeno: filtr, Adresa paměti 05h (" + ClockTime(clock.now()) +
                            ")"}));

    session.run([&](Operations& o) { outcome = WriteFilter(o, -1); });
    EXPECT_EQ(outcome, ResultCode::NotRun);
    EXPECT_EQ(line.sent().size(), 2u);
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
        // The byte is damaged on its way in and stored damaged.
        {"wrong value", sim::RequestMatch("EW", 0, 0x93), sim::Fault::wrongEcho(0x00), 1,
         ResultCode::NotConfirmed, "Zápis do paměti převodníku se nepodařil: na adrese 93h je 00h"},
        // Nothing can be read back.
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

TEST_F(Constants, AFilterStoredElsewhereIsReported) {
    bus.faults().next("EW05", sim::Fault::alteredIndex());
    Result outcome = ResultCode::NotRun;
    session.run([&](Operations& o) { outcome = WriteFilter(o, 3); });
    EXPECT_EQ(outcome, ResultCode::NotConfirmed);
    EXPECT_EQ(conv().memory(0x04), 3); // where it went
    ASSERT_EQ(view.criticals.size(), 1u);
    EXPECT_EQ(view.criticals[0],
              "Zápis do paměti převodníku se nepodařil: na adrese 05h je 0Ah, zapsáno bylo 03h.");
}

// ------------------------------------------------------- the editing run

class EditingRun : public test::CalibrationRig {
protected:
    EditingRun() {
        sim::ConverterSetup setup;
        setup.address = 1;
        setup.plugged = {true, false, false, false};
        setup.signalMvV = {0.0, 1.0, 1.5, 2.0};
        setup.noiseMvV = 0;
        bus.add(setup);
        SetDecimalSeparator('.');
    }
    ~EditingRun() override { SetDecimalSeparator('\0'); }

    CalibrationRun Change(int input) {
        CalibrationRun run;
        session.run([&](Operations& o) {
            run = ChangeCalibration(o, input, editor, [&](Operations& oo) {
                ++readActions;
                DevRead(oo, 1);
            });
        });
        return run;
    }
    void At(std::int64_t ms, std::function<void(CalibrationEditorModel&)> action) {
        editor.actions.emplace_back(ms, std::move(action));
    }
    std::vector<std::string> KwFrames() const { return framesStartingWith("$01KW"); }

    test::ScriptedEditor editor{line, ops};
    int readActions = 0;
};

TEST_F(EditingRun, CapturedTypedEditedAndDeletedPointsGoIntoTheEKey) {
    ReadAndMeasure();
    const double shown = static_cast<double>(line.nowMs());
    // weights hung one after the other, the editor opening about now
    conv().setSignalScript(0, {{shown + 2000, 0.5}, {shown + 4000, 1.0}, {shown + 6000, 1.5}});
    At(300, [](CalibrationEditorModel& m) {
        m.cmbCurveType_Click(1);
        // the sensor's old curve goes, point by point
        while (!m.fields.lstKrivka.empty()) {
            m.fields.lstKrivkaSelected = 0;
            m.mKrivkaBodDelete_Click();
        }
    });
    At(1500, [&](CalibrationEditorModel& m) {
        editor.dialog.script.push_back(Entry{{}, "0", false});
        m.cmdSCAN_Click();
    });
    At(3500, [&](CalibrationEditorModel& m) {
        editor.dialog.script.push_back(Entry{{}, "25", false});
        m.cmdSCAN_Click();
    });
    At(5500, [&](CalibrationEditorModel& m) {
        editor.dialog.script.push_back(Entry{{}, "50", false});
        m.cmdSCAN_Click();
    });
    At(7500, [&](CalibrationEditorModel& m) {
        editor.dialog.script.push_back(Entry{"1,5", "75", false}); // typed by hand
        m.mKrivkaBodAdd_Click();
        m.fields.lstKrivkaSelected = 2; // 1.0 mV/V: its value was misread
        editor.dialog.script.push_back(Entry{{}, "49,5", false});
        m.lstKrivka_DblClick();
        m.fields.lstKrivkaSelected = 0; // the empty scale goes
        m.mKrivkaBodDelete_Click();
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
    EXPECT_EQ(editor.model().points.count(), 3);
    // the live signal moved while the editor was open
    EXPECT_NE(std::find(editor.signalLabels.begin(), editor.signalLabels.end(), "   1.0000"),
              editor.signalLabels.end());
    // exactly the built image, byte by byte, to the eKey of input 0, then "X"
    const auto kw = KwFrames();
    ASSERT_EQ(kw.size(), run.image.size());
    EXPECT_EQ(run.image.size(), 104u + 3 * 6);
    for (std::size_t k = 0; k < kw.size(); ++k) {
        EXPECT_EQ(kw[k], "$01KW00" + LongToHex(static_cast<std::int32_t>(k), 2) +
                             LongToHex(static_cast<unsigned char>(run.image[k]), 2) + "\r")
            << k;
    }
    const std::size_t lastKw = indexOfFrame(kw.back());
    ASSERT_LT(lastKw + 1, line.sent().size());
    EXPECT_EQ(line.sent()[lastKw + 1].text, "$01X\r");
    const auto after = framesAfter(before);
    const auto kq = std::find(after.begin(), after.end(), "$01KQ\r");
    EXPECT_LT(kq - after.begin(), std::find(after.begin(), after.end(), kw[0]) - after.begin());

    // the converter's block decodes to the edited curve, and so does the re-read
    SensorRecord decoded;
    ASSERT_EQ(DecodeEKeyImage(conv().block(0), decoded, 0, 0, 0), ResultCode::Ok);
    EXPECT_EQ(readActions, 1);
    for (const SensorRecord* rec : {&decoded, &state.records[0]}) {
        EXPECT_EQ(TrimBlanks(rec->description), "Siločlen 100 kg");
        EXPECT_EQ(TrimBlanks(rec->unit), "kg");
        EXPECT_EQ(TrimBlanks(rec->numberFormat), "####0.0");
        EXPECT_EQ(rec->slidingLength, 5);
        ASSERT_EQ(rec->pointCount, 3);
        const double signals[] = {0.5, 1.0, 1.5};
        const double values[] = {25, 49.5, 75};
        for (std::size_t k = 0; k < 3; ++k) {
            // three-byte device floats: 15 bits of mantissa
            EXPECT_NEAR(rec->pointSignals[k], signals[k], 1e-4) << k;
            EXPECT_NEAR(rec->userValues[k], values[k], 1e-2) << k;
        }
    }
    // the simulated converter, reading the block its own way, measures with
    // the same points
    const auto curve = sim::DecodeSensorCurve(conv().block(0));
    ASSERT_TRUE(curve.has_value());
    ASSERT_EQ(curve->signals.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(curve->signals[k], decoded.pointSignals[k]) << k;
        EXPECT_EQ(curve->values[k], decoded.userValues[k]) << k;
    }
    EXPECT_TRUE(curve->signalInMvV);
    EXPECT_EQ(state.sources[0], InputSource::EKey);
}

TEST_F(EditingRun, StatusesWaitsAndTheMeasurementAroundTheWrite) {
    ReadAndMeasure();
    At(1000, [&](CalibrationEditorModel& m) {
        m.points.Clear();
        editor.dialog.script = {Entry{"0", "0", false}, Entry{"2", "10", false}};
        m.mKrivkaBodAdd_Click();
        m.mKrivkaBodAdd_Click();
        view.answers = {MessageAnswer::Yes};
        m.cmdAction_Click(1);
    });
    const std::size_t statusesBefore = view.statuses.size();
    const int ticksBefore = ticks;
    CalibrationRun run;
    session.run([&](Operations& o) { run = DoCalibration(o, 0, editor); });
    ASSERT_TRUE(run.stored());
    // ticks ran while the editor was open
    EXPECT_GT(ticks, ticksBefore);
    const std::vector<std::string> statuses(view.statuses.begin() + statusesBefore,
                                            view.statuses.end());
    EXPECT_EQ(statuses,
              (std::vector<std::string>{"Zastavuji měření ...", "Ukládám kalibraci (Vstup 1) ...",
                                        "Spouštím měření ...", "OK, měření spuštěno."}));
    const auto time = [&](std::size_t k) { return view.statusTimes[statusesBefore + k]; };
    EXPECT_GE(time(1) - time(0), 500); // the measurement stop
    EXPECT_GE(time(2) - timeOfFrame("$01X\r"), 500);
    // no measurement frame between the stop and the start
    for (const auto& f : line.sent()) {
        if (f.timeMs > time(0) && f.timeMs < time(2)) {
            EXPECT_NE(f.text, "$01MK\r");
        }
    }
    EXPECT_TRUE(view.timer);
}

TEST_F(EditingRun, EndingWithoutSavingWritesNothing) {
    ReadAndMeasure();
    const std::pair<EditorTag, std::function<void(CalibrationEditorModel&)>> endings[] = {
        {EditorTag::Cancel, [](CalibrationEditorModel& m) { m.cmdAction_Click(0); }},
        {EditorTag::Closed, [&](CalibrationEditorModel&) { editor.Unload(); }},
        {EditorTag::New,
         [&](CalibrationEditorModel& m) {
             view.answers = {MessageAnswer::Yes};
             m.mKrivkaNew_Click();
         }},
    };
    for (const auto& [tag, ending] : endings) {
        editor.actions = {{800, ending}};
        const std::size_t before = line.sent().size();
        const std::size_t statusesBefore = view.statuses.size();
        const CalibrationRun run = Change(1);
        EXPECT_EQ(run.tag, tag);
        // the run's own end, before the read that follows it
        const std::vector<std::string> statuses(view.statuses.begin() + statusesBefore,
                                                view.statuses.end());
        const auto start = std::find(statuses.begin(), statuses.end(), "Spouštím měření ...");
        ASSERT_NE(start, statuses.end()) << static_cast<int>(tag);
        EXPECT_EQ(*(start + 1), "OK, měření spuštěno.") << static_cast<int>(tag);
        EXPECT_EQ(std::find(statuses.begin(), statuses.end(), "Zastavuji měření ..."),
                  statuses.end());
        for (const std::string& f : framesAfter(before)) {
            EXPECT_NE(f.substr(0, 5), "$01KW") << static_cast<int>(tag);
            EXPECT_NE(f, "$01X\r") << static_cast<int>(tag);
        }
        EXPECT_TRUE(view.timer) << static_cast<int>(tag);
        EXPECT_FALSE(editor.visible);
    }
    EXPECT_EQ(editor.loads, 1); // hidden and reused, not loaded again
    EXPECT_EQ(editor.shows, 3);
    EXPECT_EQ(readActions, 3);
}

TEST_F(EditingRun, FailuresAreReportedAsPlainBoxesAndTheConverterRestarted) {
    ReadAndMeasure();
    // an image that cannot be built
    At(500, [](CalibrationEditorModel& m) {
        m.xXx.pointCount = 1;
        m.Tag = EditorTag::Store;
    });
    CalibrationRun run = Change(0);
    EXPECT_EQ(run.built, ResultCode::TooFewPoints);
    ASSERT_FALSE(view.calls.empty());
    EXPECT_EQ(view.calls.back().text, "Nelze uložit křivku [ERR:-2]");
    EXPECT_EQ(view.calls.back().icon, MessageIcon::None);
    EXPECT_TRUE(KwFrames().empty());
    EXPECT_EQ(framesStartingWith("$01X\r").size(), 1u);

    // an eKey pulled out before the write
    editor.actions = {{500, [&](CalibrationEditorModel& m) {
                           conv().setPlugged(0, false);
                           m.Tag = EditorTag::Store;
                       }}};
    run = Change(0);
    EXPECT_EQ(run.writeResult, Result::Of(ResultOf::BlockWrite, ResultCode::NoAnswer, 1));
    EXPECT_EQ(view.calls.back().text, "Chyba ukládání kalibrace. [ERR:-1]");
    EXPECT_EQ(view.calls.back().icon, MessageIcon::None);
    EXPECT_EQ(framesStartingWith("$01X\r").size(), 2u);
    EXPECT_EQ(view.statuses.back(), "OK, měření spuštěno ...");
}

TEST_F(EditingRun, LoadFromSensorReadsTheBlockAgainWithTheMeasurementStopped) {
    ReadAndMeasure();
    // the sensor was calibrated elsewhere since the reading
    SensorRecord elsewhere = state.records[0];
    elsewhere.description = FixedText("Jinde kalibrováno", kDescriptionWidth);
    elsewhere.pointCount = 2;
    elsewhere.pointSignals[0] = 0;
    elsewhere.userValues[0] = 0;
    elsewhere.pointSignals[1] = 2;
    elsewhere.userValues[1] = 40;
    std::string image;
    ASSERT_TRUE(BuildEKeyImage(image, elsewhere, 1, clock.when).ok());
    conv().setBlock(0, image);

    bool loaded = false;
    bool heldWhileReading = false;
    std::int64_t clicked = 0;
    At(1000, [&](CalibrationEditorModel& m) {
        clicked = line.nowMs();
        // the "KB" answer is on its way 600 ms after the click
        line.after(600, [&] { heldWhileReading = guard.lineHeld(); });
        m.fields.txtPopis = "typed";
        loaded = m.mLoadEEKrivka_Click();
    });
    At(4000, [](CalibrationEditorModel& m) { m.cmdAction_Click(0); });
    const int ticksBefore = answeredTicks;
    session.run([&](Operations& o) { DoCalibration(o, 0, editor); });

    ASSERT_TRUE(loaded);
    EXPECT_TRUE(heldWhileReading);
    EXPECT_EQ(editor.model().fields.txtPopis, elsewhere.description);
    EXPECT_EQ(editor.model().fields.lstKrivka.size(), 2u);
    EXPECT_EQ(editor.model().xXx.pointSignals[1], 2);
    EXPECT_EQ(editor.model().xXx.adr, 0);
    // the block is what the next write's backup keeps
    ASSERT_NE(cache.block(0), nullptr);
    EXPECT_EQ(cache.block(0)->image, conv().block(0));
    // the measurement's last request waited out, then the read, then the
    // measurement again
    std::int64_t kb = -1;
    for (const auto& f : line.sent()) {
        if (f.text == "$01KB00\r" && f.timeMs > clicked) kb = f.timeMs;
    }
    ASSERT_GE(kb, 0);
    EXPECT_GE(kb - clicked, 500);
    for (const auto& f : line.sent()) {
        if (f.text == "$01MK\r") {
            EXPECT_TRUE(f.timeMs < clicked || f.timeMs > kb) << f.timeMs;
        }
    }
    EXPECT_GT(answeredTicks, ticksBefore + 2);
    EXPECT_TRUE(view.timer);
    EXPECT_TRUE(view.criticals.empty());
}

TEST_F(EditingRun, LoadFromSensorThatDoesNotAnswerLeavesTheEditor) {
    ReadAndMeasure();
    std::string text;
    At(500, [&](CalibrationEditorModel& m) {
        m.fields.txtPopis = "typed";
        conv().setPlugged(0, false);
        EXPECT_FALSE(m.mLoadEEKrivka_Click());
        text = m.fields.txtPopis;
        conv().setPlugged(0, true);
        conv().setBlock(0, std::string(256, '\xFF'));
        EXPECT_FALSE(m.mLoadEEKrivka_Click());
        m.cmdAction_Click(0);
    });
    session.run([&](Operations& o) { DoCalibration(o, 0, editor); });
    EXPECT_EQ(text, "typed");
    EXPECT_EQ(editor.model().fields.txtPopis, "typed");
    EXPECT_EQ(view.criticals,
              (std::vector<std::string>{
                  "Kalibraci nelze načíst ze snímače (blok 0): no complete answer [ERR:-1]",
                  "Blok 0 neobsahuje kalibrační data: no FSN mark [ERR:-34]"}));
    EXPECT_TRUE(view.timer);
}

// A key written by another tool holds its texts in Windows-1250: a store
// that leaves the description alone writes back its very bytes, and a text
// the key cannot hold is refused in the editor before anything is sent.
TEST_F(EditingRun, AWindows1250KeyKeepsItsBytesAndWhatItCannotHoldIsRefused) {
    conv().setPlugged(1, true);
    ReadAndMeasure();
    const std::string description = "Force sensor 10 kN \x96 C3" + std::string(9, ' ');
    ASSERT_EQ(conv().block(32).substr(8, 32), description);
    EditorTag tagAfterRefusal = EditorTag::Store;
    At(500, [&](CalibrationEditorModel& m) {
        m.fields.txtJednotka = "kΩ";
        view.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
        m.cmdAction_Click(1);
        tagAfterRefusal = m.Tag;
        m.fields.txtJednotka = "N";
        m.cmdAction_Click(1);
    });
    const CalibrationRun run = Change(1);
    ASSERT_TRUE(run.stored());
    EXPECT_EQ(tagAfterRefusal, EditorTag::None);
    EXPECT_EQ(view.criticals, std::vector<std::string>{"Znak „Ω“ (U+03A9) nelze uložit do eKey: "
                                                       "kódová stránka snímače (Windows-1250) ho "
                                                       "neobsahuje."});
    EXPECT_EQ(KwFrames().size(), run.image.size()); // one write, the second save's
    EXPECT_EQ(conv().block(32).substr(8, 32), description);
    EXPECT_EQ(TrimBlanks(state.records[1].description), "Force sensor 10 kN – C3");
}

// The backup before the store and the check after it are in the guarded
// write tests, with every other command that writes a block.
TEST_F(EditingRun, TheStoredRecordHasNoZeroOffset) {
    ReadAndMeasure();
    At(500, [](CalibrationEditorModel& m) {
        m.xXx.zeroOffset = 7; // as a tare would leave it
        m.Tag = EditorTag::Store;
    });
    const CalibrationRun run = Change(0);
    ASSERT_TRUE(run.stored());
    EXPECT_EQ(run.image.substr(78, 4), std::string(4, '\0'));
    EXPECT_EQ(conv().block(0).substr(78, 4), std::string(4, '\0'));
}

TEST_F(EditingRun, ClosingTheProgramEndsTheWaitAndWritesNothing) {
    ReadAndMeasure();
    At(700, [&](CalibrationEditorModel&) { guard.cancel(); });
    const std::size_t before = line.sent().size();
    const std::size_t statusesBefore = view.statuses.size();
    const CalibrationRun run = Change(2);
    EXPECT_EQ(run.tag, EditorTag::None);
    // it unwinds at once: no restart of the measurement is reported
    EXPECT_EQ(view.statuses.size(), statusesBefore);
    EXPECT_FALSE(editor.visible);
    EXPECT_EQ(readActions, 0);
    for (const std::string& f : framesAfter(before))
        EXPECT_TRUE(f == "$01MK\r" || f == "$01KQ\r") << f;
}

} // namespace
} // namespace rm27
