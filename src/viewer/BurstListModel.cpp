#include "viewer/BurstListModel.h"

#include "datafiles/DataFileReader.h"
#include "text/DateTime.h"

#include <algorithm>
#include <limits>

namespace tavrel {

void BurstListModel::SetReader(const DataFileReader* reader) {
    beginResetModel();
    reader_ = reader;
    endResetModel();
}

int BurstListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !reader_)
        return 0;
    return static_cast<int>(
        std::min<std::int64_t>(reader_->Bursts(), std::numeric_limits<int>::max()));
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
