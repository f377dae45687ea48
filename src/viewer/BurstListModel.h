#pragma once

#include "model/TriggerSettings.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

class QTreeView;

namespace tavrel {

class DataFileReader;

// The bursts of a file for the burst list: "number  start time", and beside it the trigger
// time when the file was recorded on a trigger, each text made when the list shows it, so a
// file of a million bursts lists at once. Sorting by the trigger time puts the bursts without
// one last; a row's burst is BurstAt(row).
class BurstListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { BurstColumn = 0, TriggerColumn = 1 };

    explicit BurstListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // reader null: no bursts. The reader must outlive its use here.
    void SetReader(const DataFileReader* reader);
    // The reader has more bursts than the list: the new rows are added (and sorted in).
    void BurstsAdded();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // TriggerColumn only for a file recorded on a trigger.
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The burst (0-based) a row shows, and the index of burst k's row.
    std::int64_t BurstAt(int row) const;
    QModelIndex IndexOf(std::int64_t k) const;

    // The text of burst k (0-based).
    static QString BurstText(const DataFileReader& reader, std::int64_t k);
    // Local "yyyy-mm-dd hh:mm:ss.mmm", "タイムアウト" for a burst the time-out started, empty
    // for none.
    static QString TriggerText(const BurstTrigger& trigger);

private:
    static int Rows(const DataFileReader* reader);
    void Order();

    const DataFileReader* reader_ = nullptr;
    int rows_ = 0; // the rows the view knows of
    bool triggered_ = false;
    int sortColumn_ = BurstColumn;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::vector<int> order_; // the burst of each row; empty: row k shows burst k
    std::vector<int> rowOf_; // its inverse
};

// The list's view ("BurstList"): a click on a column title sorts by it; the titles show only
// when there is a trigger time to sort by.
QTreeView* NewBurstListView(BurstListModel* model);

} // namespace tavrel
