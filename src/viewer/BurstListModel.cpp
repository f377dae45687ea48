#include "viewer/BurstListModel.h"

#include "datafiles/DataFileReader.h"
#include "text/DateTime.h"

#include <algorithm>
#include <limits>

namespace tavrel {

void BurstListModel::SetReader(const DataFileReader* reader) {
    beginResetModel();
    reader_ = reader;
    rows_ = Rows(reader);
    endResetModel();
}

void BurstListModel::BurstsAdded() {
    const int now = Rows(reader_);
    if (now <= rows_)
        return;
    beginInsertRows(QModelIndex(), rows_, now - 1);
    rows_ = now;
    endInsertRows();
}

int BurstListModel::Rows(const DataFileReader* reader) {
    return reader ? static_cast<int>(
                        std::min<std::int64_t>(reader->Bursts(), std::numeric_limits<int>::max()))
                  : 0;
}

int BurstListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant BurstListModel::data(const QModelIndex& index, int role) const {
    if (!reader_ || !index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return BurstText(*reader_, index.row());
    return {};
}

QString BurstListModel::BurstText(const DataFileReader& reader, std::int64_t k) {
    return QStringLiteral("%1  %2").arg(k + 1).arg(
        QString::fromStdString(FormatFileDateTime(reader.BurstStartTime(k))));
}

} // namespace tavrel
