#include "viewer/ExportDialog.h"

#include "widgets/FileDialogs.h"
#include "widgets/MessageBoxes.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tavrel {

namespace {

QString Translated(const char* text) {
    return QCoreApplication::translate(ExportContext, text);
}

QString Extension(const Exporter& e) {
    const std::string_view ext = e.Extensions.front();
    return QString::fromLatin1(ext.data(), qsizetype(ext.size()));
}

const Exporter& Row(int index) {
    return Exporters()[static_cast<std::size_t>(index)];
}

const QString FormatKey = QStringLiteral("Export/Format");

} // namespace

ExportDialog::ExportDialog(const QString& dataFile, std::int64_t shownBurst, QWidget* parent,
                           const ExportRequest* last, ExportChoices choices)
    : QDialog(parent), choices_(std::move(choices)) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(tr("エクスポート"));
    auto* layout = new QVBoxLayout(this);

    auto* scopeBox = new QGroupBox(tr("範囲"));
    auto* scopeLayout = new QGridLayout(scopeBox);
    scope_ = new QButtonGroup(this);
    const QString scopes[3] = {tr("ファイル全体"), tr("バーストを指定："),
                               tr("カーソル間（表示中のバースト）")};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(scopes[i]);
        button->setObjectName(QStringLiteral("ScopeButton%1").arg(i));
        scope_->addButton(button, i);
        scopeLayout->addWidget(button, i, 0);
    }
    bursts_ = new QLineEdit(QString::number(shownBurst + 1));
    bursts_->setObjectName(QStringLiteral("BurstsEdit"));
    bursts_->setPlaceholderText(QStringLiteral("1,3-5"));
    scopeLayout->addWidget(bursts_, 1, 1);
    scope_->button(0)->setChecked(true);
    layout->addWidget(scopeBox);

    if (!choices_.Channels.isEmpty()) {
        auto* channelBox = new QGroupBox(tr("チャンネル"));
        auto* channelLayout = new QGridLayout(channelBox);
        for (int c = 0; c < choices_.Channels.size(); ++c) {
            auto* box = new QCheckBox(choices_.Channels[c]);
            box->setObjectName(QStringLiteral("ChannelBox%1").arg(c));
            box->setChecked(true);
            channelLayout->addWidget(box, c / 2, c % 2);
            channels_.push_back(box);
            connect(box, &QCheckBox::toggled, this, &ExportDialog::ShowOutputNames);
        }
        layout->addWidget(channelBox);
    }

    auto* form = new QFormLayout;
    format_ = new QComboBox;
    format_->setObjectName(QStringLiteral("FormatBox"));
    for (const Exporter& e : Exporters())
        format_->addItem(Translated(e.Label));
    form->addRow(tr("形式："), format_);
    encoding_ = new QComboBox;
    encoding_->setObjectName(QStringLiteral("EncodingBox"));
    encoding_->addItems({tr("UTF-8（BOM 付き）"), QStringLiteral("CP932 (Shift-JIS)")});
    form->addRow(tr("文字コード："), encoding_);
    auto* outRow = new QHBoxLayout;
    const QFileInfo data(dataFile);
    out_ = new QLineEdit(data.absolutePath() + u'/' + data.completeBaseName() + Extension(Row(0)));
    out_->setObjectName(QStringLiteral("OutEdit"));
    out_->setMinimumWidth(360);
    auto* browse = new QPushButton(tr("参照"));
    outRow->addWidget(out_, 1);
    outRow->addWidget(browse);
    form->addRow(tr("出力ファイル："), outRow);
    namesLabel_ = new QLabel;
    namesLabel_->setObjectName(QStringLiteral("OutputNamesLabel"));
    namesLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(tr("書き出すファイル："), namesLabel_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // The button says what it does.
    buttons->button(QDialogButtonBox::Ok)->setText(tr("エクスポート"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ExportButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
    connect(browse, &QPushButton::clicked, this, &ExportDialog::ChooseOut);
    connect(format_, &QComboBox::currentIndexChanged, this, &ExportDialog::FollowFormat);
    connect(scope_, &QButtonGroup::idToggled, this, &ExportDialog::ShowOutputNames);
    connect(bursts_, &QLineEdit::textChanged, this, &ExportDialog::ShowOutputNames);
    connect(out_, &QLineEdit::textChanged, this, &ExportDialog::ShowOutputNames);
    connect(encoding_, &QComboBox::currentIndexChanged, this, &ExportDialog::ShowOutputNames);
    if (!last && !choices_.SettingsFile.isEmpty()) {
        // The format chosen last time, as a new dialog's default.
        const QString id =
            QSettings(choices_.SettingsFile, QSettings::IniFormat).value(FormatKey).toString();
        if (const Exporter* row = ExporterOfId(id.toStdString()))
            format_->setCurrentIndex(static_cast<int>(row - Exporters().data()));
    }
    if (last) {
        // The last entries, so a failed or repeated export needs no typing again.
        scope_->button(static_cast<int>(last->Scope))->setChecked(true);
        if (last->Scope == ExportScope::ChosenBursts) {
            QString list;
            for (const std::int64_t k : last->Bursts)
                list += (list.isEmpty() ? QString() : QStringLiteral(",")) + QString::number(k + 1);
            bursts_->setText(list);
        }
        for (int i = 0; i < format_->count(); ++i)
            if (Row(i).Format == last->Format)
                format_->setCurrentIndex(i);
        encoding_->setCurrentIndex(last->Encoding == CsvEncoding::Cp932 ? 1 : 0);
        out_->setText(last->Out);
        if (!last->Channels.empty())
            for (std::size_t c = 0; c < channels_.size(); ++c)
                channels_[c]->setChecked(std::find(last->Channels.begin(), last->Channels.end(),
                                                   static_cast<int>(c)) != last->Channels.end());
    }
    ShowOutputNames();
}

bool ExportDialog::Entries(ExportRequest& r) const {
    r.Scope = static_cast<ExportScope>(scope_->checkedId());
    if (r.Scope == ExportScope::ChosenBursts) {
        const auto bursts = ParseNumberList(bursts_->text().toStdString());
        if (!bursts)
            return false;
        r.Bursts = *bursts;
    }
    for (std::size_t c = 0; c < channels_.size(); ++c)
        if (channels_[c]->isChecked())
            r.Channels.push_back(static_cast<int>(c));
    r.Format = Row(format_->currentIndex()).Format;
    r.Encoding = encoding_->currentIndex() == 1 ? CsvEncoding::Cp932 : CsvEncoding::Utf8;
    r.Out = out_->text().trimmed();
    return !r.Out.isEmpty() && (channels_.empty() || !r.Channels.empty());
}

void ExportDialog::ShowOutputNames() {
    ExportRequest r;
    names_.clear();
    if (choices_.OutputNames && Entries(r))
        names_ = choices_.OutputNames(r);
    // One name, or the first and last of many with their count.
    const auto name = [this](qsizetype i) { return QFileInfo(names_[i]).fileName(); };
    namesLabel_->setText(names_.isEmpty()     ? QStringLiteral("－")
                         : names_.size() == 1 ? name(0)
                                              : tr("%1 … %2（%3 ファイル）")
                                                    .arg(name(0), name(names_.size() - 1))
                                                    .arg(names_.size()));
    namesLabel_->setToolTip(names_.join(u'\n'));
}

void ExportDialog::FollowFormat() {
    const int index = format_->currentIndex();
    encoding_->setEnabled(Row(index).Takes("encoding"));
    // The output name follows the format's extension.
    QString out = out_->text();
    const QFileInfo info(out);
    if (!info.suffix().isEmpty())
        out.chop(info.suffix().size() + 1);
    out_->setText(out + Extension(Row(index)));
}

void ExportDialog::ChooseOut() {
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(NameFilters(Translated(Row(format_->currentIndex()).Name)));
    dialog.selectFile(out_->text());
    dialog.resize(720, 440);
    if (dialog.exec() == QDialog::Accepted)
        if (const QString file = SelectedFile(&dialog); !file.isEmpty())
            out_->setText(file);
}

void ExportDialog::accept() {
    ExportRequest r;
    Entries(r);
    const auto refuse = [this](const QString& text, QWidget* field) {
        ShowMessageBox(this, MessageKind::Error, Verbatim(text.toStdString()), MessageButtons::Ok);
        field->setFocus();
    };
    if (r.Scope == ExportScope::ChosenBursts && !ParseNumberList(bursts_->text().toStdString()))
        return refuse(tr("バーストは 1,3-5 のように番号で指定してください。"), bursts_);
    if (!channels_.empty() && r.Channels.empty())
        return refuse(tr("チャンネルを1つ以上選んでください。"), channels_.front());
    if (r.Out.isEmpty())
        return refuse(tr("出力ファイルを指定してください。"), out_);
    if (!choices_.SettingsFile.isEmpty())
        QSettings(choices_.SettingsFile, QSettings::IniFormat)
            .setValue(FormatKey,
                      QString::fromLatin1(Row(format_->currentIndex()).Id.data(),
                                          qsizetype(Row(format_->currentIndex()).Id.size())));
    request_ = r;
    QDialog::accept();
}

} // namespace tavrel
