#pragma once

#include "datafiles/MainEntries.h"
#include "model/Prompter.h"

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;
class QTableWidgetItem;

namespace tavrel {

struct MainWindowForm;

// The entries as the window's controls hold them, both ways, and the checks made while they
// are typed: a text that CP932 cannot hold (or a comment beyond its bytes) is refused where it
// is entered. The program path, which no control shows, is kept here with the entries.
class EntryBinding : public QObject {
    Q_OBJECT
public:
    static constexpr int CommentLimit = 160; // bytes of CP932

    // messages gives the prompter in use at the time of a refusal.
    EntryBinding(MainWindowForm& form, std::function<Prompter&()> messages,
                 QObject* parent = nullptr);

    MainEntries TakeEntries() const;
    void ApplyEntries(const MainEntries& entries);

    // True while the binding itself changes the controls: their handlers stay quiet.
    bool Applying() const { return applying_; }

    // Shows rows - 1 channel rows (rows counts the title row); rows beyond keep their texts.
    void ShowGridRows(int rows);

    // False, with the message, when a chosen path cannot be kept in the files.
    bool AcceptPath(const QString& path);

    QString ApplicationPath() const { return applicationPath_; }
    void SetApplicationPath(const QString& path) { applicationPath_ = path; }

private:
    void SetGridRowCount(int rows);
    void SetCell(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    // The grid's title row shows its texts translated and keeps the Japanese ones as entries.
    void SetHeader(int column, const QString& source);
    QString HeaderSource(int column) const;

    void CommentChanged();
    // Typing a text that CP932 cannot hold into edit is undone, with a message naming field.
    void RefuseWhatCp932CannotHold(QLineEdit* edit, const QString& field);
    void GridItemChanged(QTableWidgetItem* item);
    void RefuseEntry(const QString& field);

    MainWindowForm& form_;
    std::function<Prompter&()> messages_;
    QString applicationPath_;
    int gridRowCount_ = 2;
    bool applying_ = false;
    QString memoText_; // the comment as last accepted
};

} // namespace tavrel
