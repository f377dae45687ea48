// The viewer's trigger column and mark, on a reader that reports triggers without a file.
#include "datafiles/DataFileReader.h"
#include "viewer/BurstListModel.h"
#include "viewer/ChartPanel.h"
#include "viewer/TriggerMark.h"

#include <QDateTime>
#include <QTest>

#include <limits>
#include <memory>

using namespace tavrel;

namespace {

constexpr double T0 = 1765000000.0; // seconds since the epoch
constexpr double None = std::numeric_limits<double>::quiet_NaN();

class TriggerReader final : public DataFileReader {
public:
    TriggerReader(bool triggered, std::vector<BurstTrigger> bursts)
        : triggered_(triggered), bursts_(std::move(bursts)) {}
    std::vector<BurstTrigger>& Triggers() { return bursts_; }

    const std::string& FileName() const override { return name_; }
    DataFileType Type() const override { return DataFileType::Hdf5; }
    int Version() const override { return 1; }
    const MeasurementHeader& Header() const override { return header_; }
    std::int64_t Bursts() const override { return static_cast<std::int64_t>(bursts_.size()); }
    TriggerSettings RecordedTrigger() const override {
        TriggerSettings t;
        t.Start = triggered_ ? BurstStart::Trigger : BurstStart::Schedule;
        return t;
    }
    BurstTrigger TriggerOf(std::int64_t k) const override {
        return bursts_.at(static_cast<std::size_t>(k));
    }

private:
    using Block = std::array<std::vector<std::int16_t>, MaxSampledChannels>;
    void ReadBlock(std::int64_t, Block&, std::vector<std::int16_t>&) const override {}
    void ReadBlockScans(std::int64_t, std::int64_t, std::int64_t, int, Block&) const override {}
    void ReadBlockRows(std::int64_t, std::int64_t, std::int64_t, int,
                       std::vector<std::int16_t>&) const override {}

    bool triggered_;
    std::vector<BurstTrigger> bursts_;
    std::string name_ = "fake.h5";
    MeasurementHeader header_ = DefaultMeasurementHeader();
};

// Burst 1 timed out; the others triggered in the order 2, 3, 0.
std::vector<BurstTrigger> FourBursts() {
    return {{BurstOrigin::Triggered, 5, T0 + 2.5},
            {BurstOrigin::TimedOut, -1, None},
            {BurstOrigin::Triggered, 0, T0 + 0.001},
            {BurstOrigin::Triggered, 40, T0 + 1}};
}

std::vector<std::int64_t> RowBursts(const BurstListModel& model) {
    std::vector<std::int64_t> bursts;
    for (int row = 0; row < model.rowCount(); ++row) {
        bursts.push_back(model.BurstAt(row));
        if (model.IndexOf(bursts.back()).row() != row)
            return {}; // IndexOf is not BurstAt's inverse
    }
    return bursts;
}

} // namespace

class BurstTriggerTest : public QObject {
    Q_OBJECT
private slots:
    // Local time with milliseconds (as Qt tells it) or the time-out, sortable; a file on the
    // schedule has no trigger column.
    void triggerColumnListsAndSorts() {
        TriggerReader schedule(false, FourBursts());
        BurstListModel model;
        model.SetReader(&schedule);
        QCOMPARE(model.columnCount(), 1);
        TriggerReader reader(true, FourBursts());
        model.SetReader(&reader);
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.index(0, 1).data().toString(),
                 QDateTime::fromMSecsSinceEpoch(qint64(T0 * 1000) + 2500)
                     .toString(QStringLiteral("HH:mm:ss.zzz")));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("タイムアウト"));
        const struct {
            int Column;
            Qt::SortOrder Order;
            std::vector<std::int64_t> Bursts;
        } cases[] = {
            {1, Qt::AscendingOrder, {2, 3, 0, 1}},
            {1, Qt::DescendingOrder, {0, 3, 2, 1}},
            {0, Qt::DescendingOrder, {3, 2, 1, 0}},
            {0, Qt::AscendingOrder, {0, 1, 2, 3}},
        };
        for (const auto& c : cases) {
            const QPersistentModelIndex third = model.IndexOf(3);
            model.sort(c.Column, c.Order);
            QCOMPARE(RowBursts(model), c.Bursts);
            QCOMPARE(model.BurstAt(third.row()), std::int64_t{3}); // the selection follows
        }
        // A burst recorded while sorted by trigger time is sorted in.
        model.sort(1, Qt::AscendingOrder);
        reader.Triggers().push_back({BurstOrigin::Triggered, 7, T0 + 0.5});
        model.BurstsAdded();
        QCOMPARE(RowBursts(model), (std::vector<std::int64_t>{2, 4, 3, 0, 1}));
    }

    // A line at the trigger scan's time on every chart, for triggered bursts only; a burst
    // shown after another leaves one line a chart.
    void chartMarksTheTriggerScan() {
        auto store = std::make_shared<SampleStore>();
        store->Reset(2, 100);
        const std::vector<std::int16_t> codes(100, 7);
        store->Append(0, codes);
        store->Append(1, codes);
        ChartPanel panel;
        panel.SetBurst(store, {{{1, 0, 0.002}, "a"}, {{1, 0, 0.002}, "b"}});
        TriggerReader triggered(true, FourBursts());
        TriggerReader schedule(false, FourBursts());
        const struct {
            const TriggerReader* Reader;
            std::int64_t Burst;
            int Lines;
            double Seconds;
        } cases[] = {{&triggered, 0, 2, 0.010},
                     {&triggered, 3, 2, 0.080},
                     {&triggered, 2, 2, 0.0},
                     {&triggered, 1, 0, 0.0},
                     {&schedule, 0, 0, 0.0}};
        for (const auto& c : cases) {
            ShowTriggerMark(panel, *c.Reader, c.Burst);
            const auto lines = panel.findChildren<QCPItemStraightLine*>("TriggerMark");
            QCOMPARE(lines.size(), c.Lines);
            for (const QCPItemStraightLine* line : lines) {
                QCOMPARE(line->point1->coords().x(), c.Seconds);
                QCOMPARE(line->point2->coords().x(), c.Seconds);
            }
        }
    }
};

QTEST_MAIN(BurstTriggerTest)
#include "BurstTriggerTest.moc"
