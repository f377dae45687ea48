#include "RunFakes.h"
#include "TestSupport.h"

#include "acquisition/BurstCutter.h"
#include "acquisition/TriggerDetector.h"
#include "acquisition/TriggerParameters.h"
#include "acquisition/VirtualClock.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "datafiles/h5/H5FileReader.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <variant>

namespace tavrel::test {
namespace {

// Every trigger of a detector over a signal has the sample before it on the near side of the
// level and its own on the far side (or on it); hysteresis keeps noise from re-triggering.
TEST(TriggerDetector, CrossesOnTheRightSideAndIgnoresNoiseWithinTheBand) {
    struct Case {
        TriggerEdge edge;
        double level, hysteresis, noise;
        int expected; // triggers over five periods of the sine
    };
    const Case cases[] = {
        {TriggerEdge::Rising, 0, 0, 0, 5},        {TriggerEdge::Rising, 0.7, 0.1, 0, 5},
        {TriggerEdge::Falling, -0.5, 0.05, 0, 5}, {TriggerEdge::Either, 0.2, 0.05, 0, 10},
        {TriggerEdge::Rising, 0, 0.2, 0.05, 5},   {TriggerEdge::Rising, 1.5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        // Two channels, the trigger on the second; a sine of 1000 scans a period plus a
        // deterministic noise that flips sign each scan.
        std::vector<double> values;
        for (int i = 0; i < 5000; ++i) {
            values.push_back(99);
            values.push_back(std::sin(2 * std::numbers::pi * (i + 0.5) / 1000 - 0.3) +
                             (i % 2 ? c.noise : -c.noise));
        }
        TriggerDetector detector(c.edge, c.level, c.hysteresis);
        int found = 0;
        std::int64_t from = 0;
        // Given in pieces of 333 scans, as deliveries come.
        while (from < 5000) {
            const std::int64_t n = std::min<std::int64_t>(333, 5000 - from);
            const std::int64_t scan = detector.Find(
                std::span<const double>(values).subspan(static_cast<std::size_t>(from * 2),
                                                        static_cast<std::size_t>(n * 2)),
                2, 1);
            if (scan < 0) {
                from += n;
                continue;
            }
            const std::int64_t at = from + scan;
            ASSERT_GT(at, 0);
            const double before = values[static_cast<std::size_t>(at - 1) * 2 + 1];
            const double v = values[static_cast<std::size_t>(at) * 2 + 1];
            const bool rising = before < c.level && v >= c.level;
            const bool falling = before > c.level && v <= c.level;
            EXPECT_TRUE(c.edge == TriggerEdge::Rising    ? rising
                        : c.edge == TriggerEdge::Falling ? falling
                                                         : rising || falling)
                << "scan " << at;
            ++found;
            from = at + 1;
        }
        EXPECT_EQ(found, c.expected) << "level " << c.level << " edge " << int(c.edge);
    }
}

TEST(TriggerParameters, EntriesAndTheCommandLineForm) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 2;
    h.CoefA[1] = -2;
    h.CoefB[1] = 1;
    TriggerEntries e;
    EXPECT_EQ(std::get<TriggerSettings>(TakeTriggerEntries(e, h)).Start, BurstStart::Schedule);
    ASSERT_TRUE(ParseTriggerOption("2:rising:-3:20", e));
    const auto t = std::get<TriggerSettings>(TakeTriggerEntries(e, h));
    EXPECT_TRUE(std::isnan(t.Hysteresis)); // the default
    TriggerSettings u = t;
    u.Hysteresis = 0;
    EXPECT_EQ(u, (TriggerSettings{BurstStart::Trigger, 1, TriggerEdge::Rising, -3, 0, 20, 0, 0}));
    // Y = -2 X + 1 (X in millivolts): -3 is X = 2 mV, and a rising Y is a falling X.
    const TriggerPlan plan = PlanTrigger(t, h, DeviceChannel{"", -5, 5}, 0.001);
    EXPECT_DOUBLE_EQ(plan.Level, 0.002);
    EXPECT_EQ(plan.Edge, TriggerEdge::Falling);
    EXPECT_DOUBLE_EQ(plan.Hysteresis, 0.1);
    EXPECT_EQ(plan.PreScans, h.SampleCount * 20 / 100);

    for (const char* bad : {"", "1", "1:up:0", "0:rising:0", "5:rising:0", "1:rising:x",
                            "1:rising:0:100", "1:rising:0:20:9"}) {
        TriggerEntries untouched;
        EXPECT_FALSE(ParseTriggerOption(bad, untouched)) << bad;
        EXPECT_EQ(untouched, TriggerEntries{}) << bad;
    }
    struct Refused {
        TriggerEntries entries;
        MessageId id;
    };
    const auto with = [](auto change) {
        TriggerEntries e;
        e.Mode = 1;
        change(e);
        return e;
    };
    const Refused refused[] = {
        {with([](TriggerEntries& e) { e.Channel = 2; }), MessageId::TriggerChannelEntry},
        {with([](TriggerEntries& e) { e.Level = "a"; }), MessageId::TriggerLevelEntry},
        {with([](TriggerEntries& e) { e.Hysteresis = "-1"; }), MessageId::TriggerHysteresisEntry},
        {with([](TriggerEntries& e) { e.PreTrigger = "99.5"; }), MessageId::TriggerPreEntry},
        {with([](TriggerEntries& e) { e.HoldOff = "-0.1"; }), MessageId::TriggerSecondsEntry},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(std::get<Message>(TakeTriggerEntries(r.entries, h)).Id, r.id);
    h.CoefA[0] = 0; // a channel whose values are all B cannot cross a level
    EXPECT_EQ(std::get<Message>(TakeTriggerEntries(with([](TriggerEntries&) {}), h)).Id,
              MessageId::TriggerChannelEntry);
}

// The simulated card's events at random times on channel 1, sampled every microsecond.
struct EventRig {
    explicit EventRig(std::int64_t jitterUs) { card.SetEvents({1, 200, 20, jitterUs, 3.0}); }
    // The scans of the continuous acquisition at which channel 1 first reaches level after
    // being below it: worked out from the card's own signal, not through the cutter.
    std::vector<std::int64_t> Crossings(std::int64_t scans, double level) const {
        std::vector<std::int64_t> at;
        double before = card.SignalVolts(1, 1);
        for (std::int64_t i = 1; i < scans; ++i) {
            const double v = card.SignalVolts(1, i + 1);
            if (before < level && v >= level)
                at.push_back(i);
            before = v;
        }
        return at;
    }
    VirtualClock clock{45000.0};
    SimulatedCard card{clock};
    SimulatedDevice device{card};
    BurstCutter cutter{device};
};

// Bursts cut with hold-off 0 begin at the first crossing after the burst before ended: none
// is missed, none is made up, and the samples around each trigger scan are on their sides.
TEST(BurstCutter, EachBurstTriggersAtTheFirstCrossingAfterTheLastAndSkipsNothing) {
    for (const int pre : {0, 50, 99}) {
        for (const std::int64_t holdOff : {0, 450}) {
            EventRig rig(150);
            TriggerPlan plan;
            plan.Channel = 1;
            plan.Level = 1.5;
            plan.Hysteresis = 0.1;
            plan.BurstScans = 300; // longer than the events' period: some fall inside a burst
            plan.PreScans = plan.BurstScans * pre / 100;
            plan.HoldOffScans = holdOff;
            rig.cutter.Cut(plan);
            AcquisitionSetup setup;
            setup.Channels = 2;
            setup.Interval = 1;
            setup.RateUnit = 2;
            setup.Scans = 300;
            setup.RingSamples = 64;
            const std::vector<std::int64_t> crossings = rig.Crossings(200'000, 1.5);
            std::int64_t next = plan.PreScans; // the first scan a trigger may be at
            std::vector<double> burst, piece(64);
            for (int b = 0; b < 40; ++b) {
                ASSERT_EQ(rig.cutter.Start(setup), StartFailure::None);
                burst.clear();
                while (burst.size() < 600) {
                    rig.clock.Advance(100);
                    const ReadResult r = rig.cutter.Read(piece);
                    ASSERT_EQ(r.Status, ReadStatus::Samples);
                    burst.insert(burst.end(), piece.begin(), piece.begin() + r.Count);
                }
                ASSERT_EQ(rig.cutter.Trigger().Origin, BurstOrigin::Triggered);
                const std::int64_t trigger = rig.cutter.BurstFirstScan() + plan.PreScans;
                const auto expected = std::lower_bound(crossings.begin(), crossings.end(), next);
                ASSERT_NE(expected, crossings.end());
                ASSERT_EQ(trigger, *expected) << "burst " << b << " pre " << pre;
                const auto at = static_cast<std::size_t>(plan.PreScans);
                EXPECT_GE(burst[at * 2 + 1], 1.5);
                if (at > 0) {
                    EXPECT_LT(burst[(at - 1) * 2 + 1], 1.5);
                }
                // The burst's values are the stream's own.
                EXPECT_EQ(burst[0], rig.card.HexToVal(SimulatedCard::VoltsToRaw(
                                        rig.card.SignalVolts(0, rig.cutter.BurstFirstScan() + 1))));
                next = rig.cutter.BurstFirstScan() + plan.BurstScans + holdOff;
            }
            rig.cutter.Stop();
        }
    }
}

TEST(BurstCutter, NothingTriggeringRecordsTimedOutBurstsAfterTheTimeOut) {
    EventRig rig(0);
    TriggerPlan plan;
    plan.Channel = 0; // the 0.5 Hz sine: no crossing of 4.5 V
    plan.Level = 4.5;
    plan.BurstScans = 100;
    plan.PreScans = 10;
    plan.TimeoutScans = 1000;
    rig.cutter.Cut(plan);
    AcquisitionSetup setup{2, 1, 2, 100, 64, nullptr};
    std::vector<double> piece(200);
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(rig.cutter.Start(setup), StartFailure::None);
        std::int64_t got = 0;
        while (got < 200) {
            rig.clock.Advance(50);
            got += rig.cutter.Read(piece).Count;
        }
        EXPECT_EQ(rig.cutter.Trigger().Origin, BurstOrigin::TimedOut);
        // Armed at scan 10, then after each burst: the time-out counts from there.
        EXPECT_EQ(rig.cutter.BurstFirstScan() + 10, b == 0 ? 1010 : 1010 + b * 1090);
    }
}

// The whole run: the simulated card's events recorded into hdf5, each burst's trigger point
// at its pre-trigger share; sdf is refused with nothing written; a stop while waiting for the
// trigger leaves the bursts recorded.
TEST(TriggeredRun, RecordsTriggeredBurstsIntoHdf5AndRefusesSdf) {
    TempDir temp;
    VirtualClock clock;
    SimulatedCard card{clock};
    card.SetEvents({0, 5000, 500, 2000, 3.0});
    SimulatedDevice device{card};
    RecordingPrompter prompter;
    RecordingView view{[&clock](std::int64_t us) { clock.Advance(us); }};
    MeasurementRun run{device, clock, prompter, view};
    MainEntries entries = DefaultMainEntries(temp.Path().string() + "/");
    entries.EditDataNum = "400";
    entries.EditIteration = "6";
    entries.EditSInterval = "10";
    entries.ComboSampUnit = 2; // usec
    entries.RadioGroupFileType = 0;
    entries.EditFileName = (temp.Path() / "t.sdf").string();
    ASSERT_TRUE(ParseTriggerOption("1:rising:1500:25", entries.Trigger));

    run.BtnAdStartClick(entries);
    EXPECT_FALSE(run.Active());
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Sent.Id, MessageId::TriggerNeedsHdf5);
    EXPECT_FALSE(std::filesystem::exists(entries.EditFileName));

    entries.RadioGroupFileType = 2;
    entries.EditFileName = (temp.Path() / "t.h5").string();
    RunMeasurement(run, view, entries);
    EXPECT_EQ(view.PresentStatus, "変換終了");
    EXPECT_FALSE(card.Converting());
    {
        H5FileReader reader(entries.EditFileName);
        ASSERT_EQ(reader.Bursts(), 6);
        EXPECT_EQ(reader.RecordedTrigger().Start, BurstStart::Trigger);
        double lastTime = 0;
        for (std::int64_t k = 0; k < 6; ++k) {
            const BurstTrigger t = reader.TriggerOf(k);
            EXPECT_EQ(t.Origin, BurstOrigin::Triggered);
            EXPECT_EQ(t.Scan, 100);
            EXPECT_GT(t.TimeSeconds, lastTime);
            // The burst began its 100 pre-trigger scans (10 usec each) before its trigger.
            EXPECT_NEAR(*EpochSecondsOf(reader.BurstStartTime(k)), t.TimeSeconds - 100e-5, 1e-4);
            lastTime = t.TimeSeconds;
            std::vector<std::int16_t> codes;
            reader.ReadChannel(k, 0, codes);
            EXPECT_GE(codes[100], 1500);
            EXPECT_LT(codes[99], 1500);
        }
    }

    // Stopped while waiting for the fourth trigger: three bursts, nothing half.
    card.SetEvents({0, 200'000, 500, 0, 3.0});
    entries.EditIteration = "10";
    int steps = 0;
    view.OnYield = [&] {
        if (run.BurstNumber == 3 && run.State() == RunState::Converting && ++steps == 50)
            run.BtnAdStopClick();
    };
    RunMeasurement(run, view, entries);
    EXPECT_EQ(view.PresentStatus, "変換中止");
    EXPECT_FALSE(card.Converting());
    H5FileReader reader(entries.EditFileName);
    EXPECT_EQ(reader.Bursts(), 3);
    EXPECT_EQ(reader.Header().BurstCount, 3);
}

} // namespace
} // namespace tavrel::test
