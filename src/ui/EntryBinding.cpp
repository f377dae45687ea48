#include "ui/EntryBinding.h"

#include "text/ShiftJis.h"
#include "ui/MainWindowForm.h"
#include "ui/TriggerPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace tavrel {

namespace {

constexpr int GridColumns = MainWindowForm::GridColumns;

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
std::string S(const QString& text) {
    return text.toStdString();
}

bool FitsCp932(const QString& text) {
    return Utf8ToCp932(S(text)).has_value();
}

// The comment box holds Windows line ends, so that its byte count is the file's.
std::string MemoToEntry(const QString& text) {
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return S(crlf);
}
QString EntryToMemo(const std::string& text) {
    QString plain = Q(text);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return plain;
}

} // namespace

EntryBinding::EntryBinding(MainWindowForm& form, std::function<Prompter&()> messages,
                           QObject* parent)
    : QObject(parent), form_(form), messages_(std::move(messages)) {
    for (int r = 0; r < MainWindowForm::MaxChannels; ++r)
        for (int c = 0; c < GridColumns; ++c)
            SetCell(r + 1, c, QString());
    connect(form_.StringGridChannel, &QTableWidget::itemChanged, this,
            &EntryBinding::GridItemChanged);
    connect(form_.commentEdit, &QPlainTextEdit::textChanged, this, &EntryBinding::CommentChanged);
    RefuseWhatCp932CannotHold(form_.EditFileName, tr("ファイル名"));
    for (QLineEdit* edit : form_.triggerPage->findChildren<QLineEdit*>())
        RefuseWhatCp932CannotHold(edit, tr("トリガ"));
}

void EntryBinding::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = form_.StringGridChannel->item(row - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        if (column == 0) {
            // The fixed first column: not editable, drawn like the title row.
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(form_.StringGridChannel->palette().button());
        }
        form_.StringGridChannel->setItem(row - 1, column, item);
    }
    item->setText(text);
    item->setData(Qt::UserRole, text); // the last accepted text
}

void EntryBinding::SetHeader(int column, const QString& source) {
    QTableWidgetItem* item = form_.StringGridChannel->horizontalHeaderItem(column);
    item->setText(MainWindowForm::tr(source.toUtf8().constData()));
    item->setData(Qt::UserRole, source);
}

QString EntryBinding::HeaderSource(int column) const {
    const QTableWidgetItem* item = form_.StringGridChannel->horizontalHeaderItem(column);
    const QVariant source = item->data(Qt::UserRole);
    return source.isValid() ? source.toString() : item->text();
}

QString EntryBinding::CellText(int row, int column) const {
    const QTableWidgetItem* item = form_.StringGridChannel->item(row - 1, column);
    return item ? item->text() : QString();
}

void EntryBinding::SetGridRowCount(int rows) {
    // rows counts the title row. Rows beyond it are hidden and keep their texts.
    gridRowCount_ = std::max(1, rows);
    const int needed = gridRowCount_ - 1;
    if (form_.StringGridChannel->rowCount() < needed) {
        const bool wasApplying = std::exchange(applying_, true);
        const int old = form_.StringGridChannel->rowCount();
        form_.StringGridChannel->setRowCount(needed);
        for (int r = old; r < needed; ++r)
            for (int c = 0; c < GridColumns; ++c)
                SetCell(r + 1, c, QString());
        applying_ = wasApplying;
    }
    for (int r = 0; r < form_.StringGridChannel->rowCount(); ++r)
        form_.StringGridChannel->setRowHidden(r, r >= needed);
}

void EntryBinding::ShowGridRows(int rows) {
    const bool wasApplying = std::exchange(applying_, true);
    SetGridRowCount(rows);
    applying_ = wasApplying;
}

MainEntries EntryBinding::TakeEntries() const {
    MainEntries e;
    e.EditWaitTime = S(form_.EditWaitTime->text());
    e.EditIteration = S(form_.EditIteration->text());
    e.EditBurstInterval = S(form_.EditBurstInterval->text());
    e.ComboBoxBITUnit = ItemIndexOf(form_.ComboBoxBITUnit);
    e.EditSInterval = S(form_.EditSInterval->text());
    e.ComboSampUnit = ItemIndexOf(form_.ComboSampUnit);
    e.EditDataNum = S(form_.EditDataNum->text());
    e.ComboChNumText = S(form_.ComboChNum->currentText());
    e.ComboChNumIndex = ItemIndexOf(form_.ComboChNum);
    const int rows = form_.StringGridChannel->rowCount();
    e.GridCells.resize(static_cast<std::size_t>(rows + 1));
    for (int c = 0; c < GridColumns; ++c)
        e.GridCells[0][static_cast<std::size_t>(c)] = S(HeaderSource(c));
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < GridColumns; ++c)
            e.GridCells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                S(CellText(r, c));
    e.GridRowCount = gridRowCount_;
    e.Memo1 = MemoToEntry(form_.commentEdit->toPlainText());
    e.RadioGroupFileType = form_.RadioGroupFileTypeButtons->checkedId();
    e.EditFileName = S(form_.EditFileName->text());
    e.ApplicationPath = S(applicationPath_);
    e.Trigger = form_.triggerPage->Entries();
    return e;
}

void EntryBinding::ApplyEntries(const MainEntries& e) {
    const bool wasApplying = std::exchange(applying_, true);
    form_.EditWaitTime->setText(Q(e.EditWaitTime));
    form_.EditIteration->setText(Q(e.EditIteration));
    form_.EditBurstInterval->setText(Q(e.EditBurstInterval));
    SelectItem(form_.ComboBoxBITUnit, e.ComboBoxBITUnit);
    form_.EditSInterval->setText(Q(e.EditSInterval));
    SelectItem(form_.ComboSampUnit, e.ComboSampUnit);
    form_.EditDataNum->setText(Q(e.EditDataNum));
    if (e.ComboChNumIndex >= 0 && e.ComboChNumIndex < form_.ComboChNum->count())
        form_.ComboChNum->setCurrentIndex(e.ComboChNumIndex);
    else
        form_.ComboChNum->setCurrentIndex(-1);
    form_.ComboChNum->setEditText(Q(e.ComboChNumText));

    const int rows = static_cast<int>(e.GridCells.size()) - 1;
    if (rows > form_.StringGridChannel->rowCount())
        SetGridRowCount(rows + 1);
    if (!e.GridCells.empty())
        for (int c = 0; c < GridColumns; ++c)
            SetHeader(c, Q(e.GridCells[0][static_cast<std::size_t>(c)]));
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < GridColumns; ++c)
            SetCell(r, c, Q(e.GridCells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
    SetGridRowCount(e.GridRowCount);

    memoText_ = EntryToMemo(e.Memo1);
    form_.commentEdit->setPlainText(memoText_);
    if (QAbstractButton* button = form_.RadioGroupFileTypeButtons->button(e.RadioGroupFileType)) {
        button->setChecked(true);
    } else {
        form_.RadioGroupFileTypeButtons->setExclusive(false);
        for (QAbstractButton* b : form_.RadioGroupFileTypeButtons->buttons())
            b->setChecked(false);
        form_.RadioGroupFileTypeButtons->setExclusive(true);
    }
    form_.EditFileName->setText(Q(e.EditFileName));
    // A long path shows its end, where the file's name is.
    form_.EditFileName->setCursorPosition(static_cast<int>(form_.EditFileName->text().size()));
    applicationPath_ = Q(e.ApplicationPath);
    form_.triggerPage->Apply(e.Trigger);
    applying_ = wasApplying;
}

// --- Entry checks -------------------------------------------------------------------------

void EntryBinding::RefuseEntry(const QString& field) {
    // Shown after the edit has been undone, outside the widget's own signal.
    const std::string text = S(tr("%1にShift-JISで表せない文字は入力できません。").arg(field));
    QTimer::singleShot(0, this, [this, text] {
        messages_().ShowMessage(MessageKind::Warning, Verbatim(text), MessageButtons::Ok);
    });
}

void EntryBinding::CommentChanged() {
    if (applying_)
        return;
    const QString text = form_.commentEdit->toPlainText();
    if (text == memoText_)
        return;
    const auto bytes = Utf8ToCp932(MemoToEntry(text));
    if (bytes && bytes->size() <= static_cast<std::size_t>(CommentLimit)) {
        memoText_ = text;
        return;
    }
    // Undo the edit, keeping the cursor where the refused text was typed.
    const int cursor = form_.commentEdit->textCursor().position();
    const int back = static_cast<int>(text.size() - memoText_.size());
    const bool wasApplying = std::exchange(applying_, true);
    form_.commentEdit->setPlainText(memoText_);
    QTextCursor c = form_.commentEdit->textCursor();
    c.setPosition(std::clamp(cursor - back, 0, static_cast<int>(memoText_.size())));
    form_.commentEdit->setTextCursor(c);
    applying_ = wasApplying;
    if (!bytes)
        RefuseEntry(tr("コメント"));
    else
        QApplication::beep(); // the byte limit: refused like a full box
}

void EntryBinding::RefuseWhatCp932CannotHold(QLineEdit* edit, const QString& field) {
    // The last text that fits is kept with the box, to go back to.
    static const char* const accepted = "acceptedText";
    if (FitsCp932(edit->text()))
        edit->setProperty(accepted, edit->text());
    connect(edit, &QLineEdit::textChanged, this, [edit](const QString& text) {
        if (FitsCp932(text))
            edit->setProperty(accepted, text);
    });
    connect(edit, &QLineEdit::textEdited, this, [this, edit, field](const QString& text) {
        if (FitsCp932(text))
            return;
        const QString before = edit->property(accepted).toString();
        const int cursor = edit->cursorPosition();
        const int back = static_cast<int>(text.size() - before.size());
        edit->setText(before);
        edit->setCursorPosition(std::max(0, cursor - back));
        RefuseEntry(field);
    });
}

bool EntryBinding::AcceptPath(const QString& path) {
    if (FitsCp932(path))
        return true;
    RefuseEntry(tr("ファイル名"));
    return false;
}

void EntryBinding::GridItemChanged(QTableWidgetItem* item) {
    if (applying_ || !item)
        return;
    if (FitsCp932(item->text())) {
        item->setData(Qt::UserRole, item->text());
        return;
    }
    const bool wasApplying = std::exchange(applying_, true);
    item->setText(item->data(Qt::UserRole).toString());
    applying_ = wasApplying;
    RefuseEntry(tr("チャンネル表"));
}

} // namespace tavrel
