#pragma once

#include <QGroupBox>
#include <QString>

class QLabel;
class QTableWidget;

namespace tavrel {

class BurstSource;
struct MeasurementHeader;

// The open file's header on the viewer's left: its fields and a table of the channel entries.
// A widget of its own so the window only says which file to show.
class HeaderPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit HeaderPanel(QWidget* parent = nullptr);

    // Shows the header of source's file, with the bursts the file really holds.
    void Show(const BurstSource& source);

    // "name [unit]" of sampled channel c, as the charts and the statistics title it.
    static QString ChannelLabel(const MeasurementHeader& h, int c);

private:
    QLabel* formatText_ = nullptr;
    QLabel* commentText_ = nullptr;
    QLabel* startTimeText_ = nullptr;
    QLabel* samplingText_ = nullptr;
    QLabel* sampleCountText_ = nullptr;
    QLabel* burstIntervalText_ = nullptr;
    QLabel* burstCountText_ = nullptr;
    QTableWidget* channelTable_ = nullptr;
};

} // namespace tavrel
