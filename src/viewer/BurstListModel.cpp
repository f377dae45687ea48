#include "viewer/BurstListModel.h"

#include "datafiles/DataFileReader.h"
#include "text/DateTime.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tavrel {

void BurstListModel::SetReader(const DataFileReader* reader) {
    beginResetModel();
    reader_ = reader;
    rows_ = Rows(reader);
    triggered_ = reader && reader->RecordedTrigger().Start == BurstStart::Trigger;
    Order();
    endResetModel();
}

void BurstListModel::BurstsAdded() {
    const int now = Rows(reader_);
    if (now <= rows_)
        return;
    beginInsertRows(QModelIndex(), rows_, now - 1);
    rows_ = now;
    endInsertRows();
    if (!order_.empty())
        sort(sortColumn_, sortOrder_);
}

int BurstListModel::Rows(const DataFileReader* reader) {
    return reader ? static_cast<int>(
                        std::min<std::int64_t>(reader->Bursts(), std::numeric_limits<int>::max()))
                  : 0;
}

int BurstListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int BurstListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : triggered_ ? 2 : 1;
}

QVariant BurstListModel::data(const QModelIndex& index, int role) const {
    if (!reader_ || !index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    const std::int64_t k = BurstAt(index.row());
    if (index.column() == TriggerColumn)
        return TriggerText(reader_->TriggerOf(k));
    return BurstText(*reader_, k);
}

QVariant BurstListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == TriggerColumn ? tr("トリガ時刻") : tr("バースト");
}

void BurstListModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column;
    sortOrder_ = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The current row and the selection stay with their bursts.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int64_t> bursts;
    for (const QModelIndex& index : before)
        bursts.push_back(BurstAt(index.row()));
    Order();
    QModelIndexList after;
    for (std::size_t i = 0; i < bursts.size(); ++i)
        after.push_back(index(IndexOf(bursts[i]).row(), before[static_cast<int>(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void BurstListModel::Order() {
    order_.clear();
    rowOf_.clear();
    const bool byTrigger = sortColumn_ == TriggerColumn && triggered_;
    if (rows_ == 0 || (!byTrigger && sortOrder_ == Qt::AscendingOrder))
        return;
    order_.resize(static_cast<std::size_t>(rows_));
    std::iota(order_.begin(), order_.end(), 0);
    if (!byTrigger) {
        std::reverse(order_.begin(), order_.end());
    } else {
        std::vector<double> times(order_.size());
        for (std::size_t k = 0; k < times.size(); ++k)
            times[k] = reader_->TriggerOf(static_cast<std::int64_t>(k)).TimeSeconds;
        const bool descending = sortOrder_ == Qt::DescendingOrder;
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            const double ta = times[static_cast<std::size_t>(a)];
            const double tb = times[static_cast<std::size_t>(b)];
            if (std::isnan(ta) || std::isnan(tb))
                return !std::isnan(ta) && std::isnan(tb); // bursts without a time last
            return descending ? ta > tb : ta < tb;
        });
    }
    rowOf_.resize(order_.size());
    for (std::size_t row = 0; row < order_.size(); ++row)
        rowOf_[static_cast<std::size_t>(order_[row])] = static_cast<int>(row);
}

std::int64_t BurstListModel::BurstAt(int row) const {
    // Rows just added and not yet sorted in show their own bursts.
    return row >= 0 && static_cast<std::size_t>(row) < order_.size()
               ? order_[static_cast<std::size_t>(row)]
               : row;
}

QModelIndex BurstListModel::IndexOf(std::int64_t k) const {
    if (k < 0 || k >= rows_)
        return {};
    const auto burst = static_cast<std::size_t>(k);
    return index(burst < rowOf_.size() ? rowOf_[burst] : static_cast<int>(k), BurstColumn);
}

QString BurstListModel::BurstText(const DataFileReader& reader, std::int64_t k) {
    return QStringLiteral("%1  %2").arg(k + 1).arg(
        QString::fromStdString(FormatFileDateTime(reader.BurstStartTime(k))));
}

QString BurstListModel::TriggerText(const BurstTrigger& trigger) {
    if (trigger.Origin == BurstOrigin::TimedOut)
        return tr("タイムアウト");
    if (!std::isfinite(trigger.TimeSeconds))
        return {};
    const CalendarTime t = DecodeDateTime(DateTimeOfEpochSeconds(trigger.TimeSeconds));
    // The burst column has the date; the trigger's is its time to the millisecond.
    return QString::asprintf("%02d:%02d:%02d.%03d", t.Hour, t.Minute, t.Second, t.Millisecond);
}

QTreeView* NewBurstListView(BurstListModel* model) {
    auto* view = new QTreeView;
    view->setObjectName(QStringLiteral("BurstList"));
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAllColumnsShowFocus(true);
    view->setSortingEnabled(true);
    view->sortByColumn(BurstListModel::BurstColumn, Qt::AscendingOrder);
    // Sized once by the widest text, not measured over a million rows.
    view->header()->resizeSection(
        BurstListModel::BurstColumn,
        view->fontMetrics().horizontalAdvance(QStringLiteral("00000  0000/00/00 00:00:00")) + 12);
    const auto showTitles = [view, model] { view->setHeaderHidden(model->columnCount() < 2); };
    QObject::connect(model, &QAbstractItemModel::modelReset, view, showTitles);
    showTitles();
    return view;
}

} // namespace tavrel
