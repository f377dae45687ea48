#include "viewer/OverlayChooser.h"

#include <QAbstractListModel>
#include <QListView>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

namespace tavrel {

// Row 0 is "none"; the others count the bursts, skipping the shown one.
class OverlayChooser::Rows : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void Set(std::int64_t count, std::int64_t shown) {
        beginResetModel();
        count_ = std::max<std::int64_t>(count, 0);
        shown_ = shown >= 0 && shown < count_ ? shown : -1;
        endResetModel();
    }
    std::int64_t BurstAt(int row) const {
        if (row <= 0 || row >= rowCount())
            return -1;
        const std::int64_t k = row - 1;
        return shown_ >= 0 && k >= shown_ ? k + 1 : k;
    }
    int RowOf(std::int64_t burst) const {
        if (burst < 0 || burst >= count_ || burst == shown_)
            return 0;
        const std::int64_t row = (shown_ >= 0 && burst > shown_ ? burst : burst + 1);
        return row < rowCount() ? static_cast<int>(row) : 0;
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid())
            return 0;
        const std::int64_t rows = 1 + count_ - (shown_ >= 0 ? 1 : 0);
        return static_cast<int>(std::min<std::int64_t>(rows, std::numeric_limits<int>::max()));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const std::int64_t k = BurstAt(index.row());
        return k < 0 ? OverlayChooser::tr("なし") : OverlayChooser::tr("バースト %1").arg(k + 1);
    }

private:
    std::int64_t count_ = 0;
    std::int64_t shown_ = -1;
};

OverlayChooser::OverlayChooser(QWidget* parent) : QComboBox(parent), rows_(new Rows(this)) {
    setObjectName(QStringLiteral("OverlayBox"));
    setModel(rows_);
    // Widths from a typical text, not from every row of a long file.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(10);
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    connect(this, &QComboBox::currentIndexChanged, this,
            [this](int row) { emit OverlayChosen(BurstAt(row)); });
}

void OverlayChooser::SetBursts(std::int64_t count, std::int64_t shown, std::int64_t overlay) {
    const QSignalBlocker blocker(this);
    rows_->Set(count, shown);
    setCurrentIndex(rows_->RowOf(overlay));
}

void OverlayChooser::Choose(std::int64_t overlay) {
    const QSignalBlocker blocker(this);
    setCurrentIndex(rows_->RowOf(overlay));
}

std::int64_t OverlayChooser::BurstAt(int row) const {
    return rows_->BurstAt(row);
}

int OverlayChooser::RowOf(std::int64_t burst) const {
    return rows_->RowOf(burst);
}

} // namespace tavrel
