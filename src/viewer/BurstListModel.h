#pragma once

#include <QAbstractListModel>

#include <cstdint>

namespace tavrel {

class DataFileReader;

// The bursts of a file for the burst list: "number  start time", each text made when the list
// shows it, so a file of a million bursts lists at once.
class BurstListModel : public QAbstractListModel {
public:
    explicit BurstListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // reader null: no bursts. The reader must outlive its use here.
    void SetReader(const DataFileReader* reader);
    // The reader has more bursts than the list: the new rows are added.
    void BurstsAdded();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The text of burst k (0-based).
    static QString BurstText(const DataFileReader& reader, std::int64_t k);

private:
    static int Rows(const DataFileReader* reader);
    const DataFileReader* reader_ = nullptr;
    int rows_ = 0; // the rows the view knows of
};

} // namespace tavrel
