#include "viewer/HeaderPanel.h"

#include "datafiles/DataFileReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/MeasurementHeader.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/RealText.h"
#include "text/ShiftJis.h"
#include "viewer/BurstSource.h"
#include "viewer/ReadOnlyTable.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrel {

namespace {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
QString FromCp932(std::string_view bytes) {
    return Q(Cp932ToUtf8(bytes));
}
QString Interval(int value, int unit) {
    return QStringLiteral("%1 %2").arg(value).arg(Q(std::string(TimeUnitName(unit))));
}

QLabel* AddField(QFormLayout* form, const QString& name, const QString& caption) {
    auto* field = new QLabel;
    field->setObjectName(name);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    field->setWordWrap(true);
    form->addRow(caption, field);
    return field;
}

} // namespace

HeaderPanel::HeaderPanel(QWidget* parent) : QGroupBox(parent) {
    setTitle(tr("ヘッダ"));
    auto* headerLayout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    formatText_ = AddField(form, QStringLiteral("FormatText"), tr("保存形式："));
    commentText_ = AddField(form, QStringLiteral("CommentText"), tr("コメント："));
    startTimeText_ = AddField(form, QStringLiteral("StartTimeText"), tr("開始時刻："));
    samplingText_ = AddField(form, QStringLiteral("SamplingText"), tr("サンプリング間隔："));
    sampleCountText_ = AddField(form, QStringLiteral("SampleCountText"), tr("サンプリング個数："));
    burstIntervalText_ =
        AddField(form, QStringLiteral("BurstIntervalText"), tr("バースト時間間隔："));
    burstCountText_ = AddField(form, QStringLiteral("BurstCountText"), tr("バースト数："));
    headerLayout->addLayout(form);
    channelTable_ = MakeReadOnlyTable(QStringLiteral("ChannelTable"),
                                      {QStringLiteral("No."), tr("項目名"), tr("単位"),
                                       QStringLiteral("A"), QStringLiteral("B")});
    channelTable_->horizontalHeader()->setStretchLastSection(false);
    FitTableRows(channelTable_, 4);
    channelTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    headerLayout->addWidget(channelTable_);
}

void HeaderPanel::Show(const BurstSource& source) {
    const MeasurementHeader& h = source.Header();
    const DataFileType type = source.Reader().Type();
    const std::string_view id = DataFormatOf(type).Id;
    formatText_->setText(type == DataFileType::Sdf
                             ? tr("sdf バージョン %1").arg(source.Reader().Version())
                             : QString::fromLatin1(id.data(), qsizetype(id.size())));
    commentText_->setText(FromCp932(WithoutCommentPadding(h.Comment.Bytes())));
    startTimeText_->setText(Q(FormatFileDateTime(h.StartTime)));
    samplingText_->setText(Interval(h.SamplingInterval, h.SamplingUnit));
    sampleCountText_->setText(QString::number(h.SampleCount));
    burstIntervalText_->setText(Interval(h.BurstInterval, h.BurstUnit));
    burstCountText_->setText(
        source.Bursts() == h.BurstCount
            ? QString::number(h.BurstCount)
            : tr("%1（ヘッダでは %2）").arg(source.Bursts()).arg(h.BurstCount));
    const int entries = h.EntryCount();
    channelTable_->setRowCount(entries);
    for (int i = 0; i < entries; ++i) {
        const auto e = static_cast<std::size_t>(i);
        SetTableCell(channelTable_, i, 0,
                     i < h.ChannelCount ? QString::number(i + 1)
                                        : tr("付加%1").arg(i - h.ChannelCount + 1));
        SetTableCell(channelTable_, i, 1, FromCp932(h.ChannelName[e].Bytes()));
        SetTableCell(channelTable_, i, 2, FromCp932(h.ChannelUnit[e].Bytes()));
        SetTableCell(channelTable_, i, 3, Q(FormatGeneralReal(h.CoefA[e])));
        SetTableCell(channelTable_, i, 4, Q(FormatGeneralReal(h.CoefB[e])));
    }
    // As tall as its rows (up to eight), so the burst list gets the rest.
    FitTableRows(channelTable_, std::clamp(entries, 1, 8));
}

QString HeaderPanel::ChannelLabel(const MeasurementHeader& h, int c) {
    const auto e = static_cast<std::size_t>(c);
    return QStringLiteral("%1 [%2]").arg(FromCp932(h.ChannelName[e].Bytes()),
                                         FromCp932(h.ChannelUnit[e].Bytes()));
}

} // namespace tavrel
