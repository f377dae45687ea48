#include "ui/TriggerPage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tavrel {

namespace {

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
std::string S(const QString& text) {
    return text.toStdString();
}

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TriggerPage::TriggerPage(QTabWidget* pages) {
    setObjectName(QStringLiteral("TabSheetTrigger"));
    pages->addTab(this, tr("トリガ"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);

    auto* modeBox = Named(new QGroupBox(tr("バースト開始"), this), "TriggerModeBox");
    auto* modeLayout = new QHBoxLayout(modeBox);
    modeLayout->setContentsMargins(8, 2, 8, 4);
    mode_ = Named(new QButtonGroup(modeBox), "TriggerModeGroup");
    const QString modes[] = {tr("スケジュール"), tr("トリガ")};
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRadioButton(modes[i], modeBox);
        button->setObjectName(QStringLiteral("TriggerModeItem%1").arg(i));
        mode_->addButton(button, i);
        modeLayout->addWidget(button);
    }
    layout->addWidget(modeBox);

    triggerOnly_ = Named(new QWidget(this), "TriggerControls");
    auto* form = new QFormLayout(triggerOnly_);
    form->setContentsMargins(0, 0, 0, 0);
    form->setVerticalSpacing(4);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    channel_ = Named(new QComboBox(triggerOnly_), "TriggerChannel");
    for (const char* item : ChNumItems)
        channel_->addItem(QString::fromLatin1(item));
    edge_ = Named(new QComboBox(triggerOnly_), "TriggerEdge");
    edge_->addItems({tr("立ち上がり"), tr("立ち下がり"), tr("両方")});
    const auto edit = [this](const char* name) {
        auto* line = Named(new QLineEdit(triggerOnly_), name);
        line->setFixedWidth(73);
        return line;
    };
    level_ = edit("TriggerLevel");
    hysteresis_ = edit("TriggerHysteresis");
    hysteresis_->setPlaceholderText(tr("既定"));
    pre_ = edit("TriggerPreTrigger");
    holdOff_ = edit("TriggerHoldOff");
    timeout_ = edit("TriggerAutoTimeout");
    timeout_->setToolTip(tr("0: タイムアウトなし"));
    form->addRow(tr("チャンネル"), channel_);
    form->addRow(tr("エッジ"), edge_);
    form->addRow(tr("レベル"), level_);
    form->addRow(tr("ヒステリシス"), hysteresis_);
    form->addRow(tr("プリトリガ(%)"), pre_);
    form->addRow(tr("ホールドオフ(秒)"), holdOff_);
    form->addRow(tr("オートタイムアウト(秒)"), timeout_);
    layout->addWidget(triggerOnly_);
    layout->addStretch(1);

    connect(mode_, &QButtonGroup::idToggled, this, [this] { ShowMode(); });
    Apply(TriggerEntries{});
}

TriggerEntries TriggerPage::Entries() const {
    TriggerEntries e;
    e.Mode = mode_->checkedId();
    e.Channel = channel_->currentIndex();
    e.Edge = edge_->currentIndex();
    e.Level = S(level_->text());
    e.Hysteresis = S(hysteresis_->text());
    e.PreTrigger = S(pre_->text());
    e.HoldOff = S(holdOff_->text());
    e.AutoTimeout = S(timeout_->text());
    return e;
}

void TriggerPage::Apply(const TriggerEntries& e) {
    if (QAbstractButton* button = mode_->button(e.Mode))
        button->setChecked(true);
    for (QComboBox* box : {channel_, edge_}) {
        const int index = box == channel_ ? e.Channel : e.Edge;
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    }
    level_->setText(Q(e.Level));
    hysteresis_->setText(Q(e.Hysteresis));
    pre_->setText(Q(e.PreTrigger));
    holdOff_->setText(Q(e.HoldOff));
    timeout_->setText(Q(e.AutoTimeout));
    ShowMode();
}

void TriggerPage::ShowMode() {
    triggerOnly_->setEnabled(mode_->checkedId() == 1);
}

} // namespace tavrel
