#include "ui/RefusedField.h"

#include "ui/MainWindowForm.h"
#include "ui/TriggerPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>

#include <string>

namespace tavrel {

namespace {

const char* const Marked = "refused";

// A mark that reads on light and dark themes alike, and keeps the field's own palette.
const QString MarkStyle = QStringLiteral("border: 2px solid #d32f2f;");

void Mark(QWidget* field) {
    field->setProperty(Marked, true);
    field->setStyleSheet(MarkStyle);
}

void BringToFront(QWidget* field) {
    for (QWidget* w = field->parentWidget(); w; w = w->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(field))
                    tabs->setCurrentIndex(i);
            break;
        }
    field->setFocus(Qt::OtherFocusReason);
}

// The channel (1-based) a channel message names.
int ChannelOf(const Message& message) {
    try {
        return message.Args.empty() ? 0 : std::stoi(message.Args.front());
    } catch (const std::exception&) {
        return 0;
    }
}

// A control of the trigger page by its name.
QWidget* TriggerField(const MainWindowForm& f, const char* name) {
    return f.triggerPage ? f.triggerPage->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
}

QWidget* FieldOf(const MainWindowForm& f, MessageId id) {
    switch (id) {
    case MessageId::TriggerChannelEntry:
        return TriggerField(f, "TriggerChannel");
    case MessageId::TriggerLevelEntry:
        return TriggerField(f, "TriggerLevel");
    case MessageId::TriggerHysteresisEntry:
        return TriggerField(f, "TriggerHysteresis");
    case MessageId::TriggerPreEntry:
        return TriggerField(f, "TriggerPreTrigger");
    case MessageId::TriggerSecondsEntry:
        return TriggerField(f, "TriggerHoldOff");
    case MessageId::ChannelCountRange:
        return f.ComboChNum;
    case MessageId::SampleCountRange:
    case MessageId::SampleTotalRange:
    case MessageId::SdfFileTooLarge:
    case MessageId::MemoryShort:
        return f.EditDataNum;
    case MessageId::SamplingIntervalRange:
        return f.EditSInterval;
    case MessageId::SamplingUnitChoice:
        return f.ComboSampUnit;
    case MessageId::BurstCountRange:
        return f.EditIteration;
    case MessageId::BurstUnitChoice:
        return f.ComboBoxBITUnit;
    case MessageId::BurstIntervalRange:
        return f.EditBurstInterval;
    case MessageId::CommentNotCp932:
        return f.commentEdit;
    default:
        return nullptr;
    }
}

} // namespace

void PointAtRefusedField(const MainWindowForm& form, const Message& message) {
    int column = 0;
    switch (message.Id) {
    case MessageId::ChannelNameNotCp932:
        column = 1;
        break;
    case MessageId::ChannelUnitNotCp932:
        column = 2;
        break;
    case MessageId::CoefficientRange:
        column = message.Args.size() > 1 && message.Args[1] == "B" ? 4 : 3;
        break;
    default:
        break;
    }
    QTableWidget* grid = form.StringGridChannel;
    const int row = ChannelOf(message) - 1;
    if (column > 0 && row >= 0 && row < grid->rowCount()) {
        if (QTableWidgetItem* item = grid->item(row, column)) {
            item->setData(Qt::BackgroundRole, QColor(0xd3, 0x2f, 0x2f, 0x60));
            grid->setProperty(Marked, true);
        }
        grid->setCurrentCell(row, column);
        BringToFront(grid);
        return;
    }
    if (QWidget* field = FieldOf(form, message.Id)) {
        Mark(field);
        BringToFront(field);
    }
}

void ClearRefusedFields(const MainWindowForm& f) {
    // Every marked field of the window, whichever page it is on.
    QTableWidget* grid = f.StringGridChannel;
    for (QWidget* field : grid->window()->findChildren<QWidget*>())
        if (field != grid && field->property(Marked).toBool()) {
            field->setProperty(Marked, false);
            field->setStyleSheet(QString());
        }
    if (!grid->property(Marked).toBool())
        return;
    grid->setProperty(Marked, false);
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (QTableWidgetItem* item = grid->item(r, c))
                item->setData(Qt::BackgroundRole, QVariant());
}

} // namespace tavrel
