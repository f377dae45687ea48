#pragma once

#include <QComboBox>

#include <cstdint>

namespace tavrel {

// The list of bursts to lay over the shown one: "none", then every burst of the file but the
// shown one. The rows are made when shown, so a file of many bursts costs nothing here.
class OverlayChooser : public QComboBox {
    Q_OBJECT

public:
    explicit OverlayChooser(QWidget* parent = nullptr);

    // Offers bursts 0 to count - 1 but shown, overlay (-1: none) chosen.
    void SetBursts(std::int64_t count, std::int64_t shown, std::int64_t overlay);
    // Chooses overlay without a signal (-1 or a burst not offered: none).
    void Choose(std::int64_t overlay);
    // The burst of a row (-1: none) and the row of a burst (0 when it is not offered).
    std::int64_t BurstAt(int row) const;
    int RowOf(std::int64_t burst) const;

signals:
    // The operator chose burst (-1: none).
    void OverlayChosen(std::int64_t burst);

private:
    class Rows;
    Rows* rows_;
};

} // namespace tavrel
