// monitor --reconnect on the simulator's virtual time: the line goes away
// after two rows, the device comes back 7.3 s later, and the monitor waits
// for it a second at a time, reopens it, reads again and goes on writing
// rows under its one header.
#include <gtest/gtest.h>

#include <QDateTime>

#include <sstream>

#include "cli/ctl_options.h"
#include "cli/ctl_runner.h"
#include "sim/bus.h"
#include "sim/virtual_line.h"
#include "support/words.h"

namespace rm27 {
namespace {

constexpr std::int64_t kAwayMs = 7300;

class CtlReconnect : public ::testing::Test {
protected:
    void SetUp() override { bus.add({}); }

    // Runs the monitor; after `rowsBeforeLoss` rows the line is lost and
    // the device file goes with it, to be back kAwayMs later.
    int run(const std::string& commandLine) {
        const CtlParse p = ParseCtlArgs(test::Words(commandLine));
        EXPECT_TRUE(p.ok()) << p.error;
        runner = std::make_unique<CtlRunner>(line, line, p.options, out, err);
        runner->setReconnect(LineReconnect{"/dev/ttyUSB0", [this] { return present; },
                                           [this](std::string&) {
                                               reopenedAtMs = line.nowMs();
                                               ++reopens;
                                               if (beforeReopen) beforeReopen();
                                               line.setOpen(true);
                                               return true;
                                           }});
        // Asked once per tick: the place to pull the adapter.
        runner->setStopRequested([this] {
            if (lostAtMs < 0 && rows() == rowsBeforeLoss) {
                lostAtMs = line.nowMs();
                present = false;
                line.setOpen(false);
                if (!quietLoss) runner->lineLost("Input/output error");
                line.after(kAwayMs, [this] { present = true; });
            }
            return false;
        });
        return runner->run();
    }
    std::vector<std::string> lines() const { return test::Lines(out.str()); }
    int rows() const {
        int n = 0;
        for (const std::string& l : lines())
            n += !l.empty() && l[0] >= '0' && l[0] <= '9';
        return n;
    }
    int identifications() const {
        int n = 0;
        for (const auto& f : line.sent())
            n += f.text == "$00@\r";
        return n;
    }

    sim::Bus bus;
    sim::VirtualLine line{bus};
    std::ostringstream out, err;
    std::unique_ptr<CtlRunner> runner;
    int rowsBeforeLoss = 2;
    bool present = true;
    std::int64_t lostAtMs = -1;
    std::int64_t reopenedAtMs = -1;
    bool quietLoss = false; // the line just closes, nobody tells the runner
    int reopens = 0;
    std::function<void()> beforeReopen;
};

TEST_F(CtlReconnect, RowsGoOnUnderTheOneHeaderAfterTheGap) {
    ASSERT_EQ(run("monitor --reconnect --csv --count 6"), kExitOk) << err.str();
    EXPECT_EQ(err.str(), "Komunikační port byl uzavřen: Input/output error\n"
                         "Čekám na návrat portu /dev/ttyUSB0 ...\n"
                         "Převodník se znovu připojil, načítám ...\n");
    const auto l = lines();
    ASSERT_EQ(l.size(), 6u + 6u) << out.str();
    EXPECT_EQ(l[0].rfind("converter,0123RM2712,", 0), 0u);
    EXPECT_EQ(l[5].rfind("time,raw_1,", 0), 0u);

    // Reopened at the first look after the file came back, a second at most.
    ASSERT_EQ(reopens, 1);
    EXPECT_GE(reopenedAtMs, lostAtMs + kAwayMs);
    EXPECT_LE(reopenedAtMs, lostAtMs + kAwayMs + kReconnectPollMs);
    // and read again
    EXPECT_EQ(identifications(), 2);

    // The stamps run on the measurement's clock: 500 ms apart, with the
    // time away (and the second read) between the 2nd and 3rd row.
    std::vector<std::int64_t> stamps;
    for (std::size_t r = 6; r < l.size(); ++r) {
        const QDateTime t =
            QDateTime::fromString(QString::fromStdString(l[r].substr(0, 23)), Qt::ISODateWithMs);
        ASSERT_TRUE(t.isValid()) << l[r];
        stamps.push_back(t.toMSecsSinceEpoch());
    }
    EXPECT_EQ(stamps[1] - stamps[0], 500);
    EXPECT_GT(stamps[2] - stamps[1], kAwayMs);
    for (std::size_t i = 3; i < stamps.size(); ++i)
        EXPECT_EQ(stamps[i] - stamps[i - 1], 500);
}

// A line that just closes (nobody tells the runner) is lost too; another
// converter after the gap ends the CSV, whose header would lie about it;
// without the switch a lost line ends the monitor.
TEST_F(CtlReconnect, WhatTheGapEndsIn) {
    const struct {
        const char* name;
        const char* command;
        bool quiet, swapSensor;
        int status, reopens;
        std::size_t rows;
        const char* said; // the start of standard error
    } cases[] = {
        {"quiet loss", "monitor --reconnect --csv --count 4", true, false, kExitOk, 1, 4,
         "Komunikační port byl uzavřen.\n"},
        {"another converter", "monitor --reconnect --csv --count 6", false, true, kExitNoAnswer, 1,
         2, "Komunikační port byl uzavřen: Input/output error\n"},
        {"no switch", "monitor --csv --count 6", false, false, kExitNoAnswer, 0, 2,
         "Komunikační port byl uzavřen: Input/output error\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        quietLoss = c.quiet;
        lostAtMs = -1;
        reopens = 0;
        present = true;
        out.str("");
        err.str("");
        // Input 1 now holds input 2's sensor.
        beforeReopen = [this, &c] {
            if (c.swapSensor) bus.converter(0).setBlock(0, bus.converter(0).block(32));
        };
        EXPECT_EQ(run(c.command), c.status) << err.str();
        EXPECT_EQ(reopens, c.reopens);
        EXPECT_EQ(lines().size(), 6u + c.rows) << out.str();
        EXPECT_EQ(err.str().rfind(c.said, 0), 0u) << err.str();
        if (c.reopens == 0) {
            EXPECT_EQ(err.str(), c.said);
        }
        if (c.swapSensor) {
            EXPECT_NE(err.str().find("Po opětovném připojení odpovídá jiný převodník"),
                      std::string::npos)
                << err.str();
        }
    }
}

} // namespace
} // namespace rm27
