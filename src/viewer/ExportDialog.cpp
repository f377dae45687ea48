#include "viewer/ExportDialog.h"

#include "widgets/FileDialogs.h"
#include "widgets/MessageBoxes.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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

} // namespace

ExportDialog::ExportDialog(const QString& dataFile, std::int64_t shownBurst, QWidget* parent,
                           const ExportRequest* last)
    : QDialog(parent) {
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
    }
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
    r.Scope = static_cast<ExportScope>(scope_->checkedId());
    if (r.Scope == ExportScope::ChosenBursts) {
        const auto bursts = ParseNumberList(bursts_->text().toStdString());
        if (!bursts) {
            ShowMessageBox(
                this, MessageKind::Error,
                Verbatim(tr("バーストは 1,3-5 のように番号で指定してください。").toStdString()),
                MessageButtons::Ok);
            bursts_->setFocus();
            return;
        }
        r.Bursts = *bursts;
    }
    r.Format = Row(format_->currentIndex()).Format;
    r.Encoding = encoding_->currentIndex() == 1 ? CsvEncoding::Cp932 : CsvEncoding::Utf8;
    r.Out = out_->text().trimmed();
    if (r.Out.isEmpty()) {
        ShowMessageBox(this, MessageKind::Error,
                       Verbatim(tr("出力ファイルを指定してください。").toStdString()),
                       MessageButtons::Ok);
        out_->setFocus();
        return;
    }
    request_ = r;
    QDialog::accept();
}

} // namespace tavrel
