#include "ui/ParameterCommands.h"

#include "datafiles/DataFileFormats.h"
#include "datafiles/ParameterFile.h"
#include "model/FileError.h"
#include "ui/DataFileDialogue.h"
#include "ui/EntryBinding.h"
#include "ui/MainWindowForm.h"
#include "ui/PathText.h"
#include "widgets/FileDialogs.h"
#include "widgets/ProgressDialog.h"
#include "widgets/Translations.h"

#include <QAction>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include <exception>
#include <optional>
#include <utility>

namespace tavrel {

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

} // namespace

ParameterCommands::ParameterCommands(MainWindowForm& form, EntryBinding& entries, SDFdata& data,
                                     MeasurementSettings& settings, SettingsLocation& location,
                                     ProgressDialog& progress,
                                     std::function<void()> channelCountChanged,
                                     std::function<Prompter&()> messages, QObject* parent)
    : QObject(parent), form_(form), entries_(entries), data_(data), settings_(settings),
      location_(location), progress_(progress),
      channelCountChanged_(std::move(channelCountChanged)), messages_(std::move(messages)) {}

void ParameterCommands::Connect() {
    connect(form_.loadParametersAction, &QAction::triggered, this,
            &ParameterCommands::LoadParameters);
    connect(form_.saveParametersAction, &QAction::triggered, this,
            &ParameterCommands::SaveParameters);
    connect(form_.browseDataFileButton, &QPushButton::clicked, this,
            &ParameterCommands::BrowseDataFile);
}

void ParameterCommands::BrowseDataFile() {
    QFileDialog* dialog = form_.dataFileDialog;
    const int type = form_.RadioGroupFileTypeButtons->checkedId();
    if (type == 0)
        dialog->setNameFilters(NameFilters(
            QCoreApplication::translate("tavrel::MainWindow", "時系列標準ファイル (*.sdf)|*.sdf")));
    else if (type == 1)
        dialog->setNameFilters(NameFilters(QCoreApplication::translate(
            "tavrel::MainWindow", "時系列テキストファイル (*.tsd)|*.tsd")));
    else if (type == 2)
        dialog->setNameFilters(NameFilters(
            QCoreApplication::translate("tavrel::MainWindow", "HDF5ファイル (*.h5)|*.h5;*.hdf5")));
    dialog->selectFile(form_.EditFileName->text());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(dialog);
    if (!chosen.isEmpty() && entries_.AcceptPath(chosen))
        form_.EditFileName->setText(chosen);
}

void ParameterCommands::LoadParameters() {
    if (form_.loadParametersDialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(form_.loadParametersDialog);
    if (!chosen.isEmpty())
        LoadParametersFrom(chosen);
}

void ParameterCommands::LoadParametersFrom(const QString& fileName) {
    const QString ext = ExtractFileExt(fileName).toUpper();
    try {
        if (ext == QStringLiteral(".APM")) {
            MainEntries entries = entries_.TakeEntries();
            LoadParameterFile(entries, S(fileName));
            entries_.ApplyEntries(entries);
            channelCountChanged_();
            // The data file box opens where the loaded data file path points.
            QString dir = ExtractFileDir(form_.EditFileName->text());
            if (dir.isEmpty())
                dir = location_.ExeDir();
            if (QDir(dir).exists())
                form_.dataFileDialog->setDirectory(dir);
        } else if (DataFormatOfName(S(fileName))) {
            MainEntries entries = entries_.TakeEntries();
            if (LoadParametersFromDataFile(entries, data_, settings_.DriverRateUnit, S(fileName),
                                           messages_(), progress_))
                entries_.ApplyEntries(entries);
        }
    } catch (const std::exception& e) {
        messages_().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
    }
}

void ParameterCommands::SaveParameters() {
    if (form_.saveParametersDialog->exec() != QDialog::Accepted)
        return;
    const QString chosen = SelectedFile(form_.saveParametersDialog);
    if (chosen.isEmpty() || !entries_.AcceptPath(chosen))
        return;
    try {
        SaveParametersTo(chosen);
    } catch (const std::exception& e) {
        messages_().ShowMessage(MessageKind::Error, MessageOf(e), MessageButtons::Ok);
    }
}

void ParameterCommands::SaveParametersTo(const QString& fileName) {
    SaveParameterFile(entries_.TakeEntries(), data_.Header, S(fileName));
}

bool ParameterCommands::SaveDefaultParameters() {
    std::optional<Message> failure;
    for (const QString& target : location_.DefaultParameterTargets()) {
        form_.saveParametersDialog->selectFile(target);
        try {
            location_.PrepareTarget(target);
            SaveParametersTo(target);
            return true;
        } catch (const std::exception& e) {
            if (!failure)
                failure = MessageOf(e);
        }
    }
    // The program must stay closable: the operator may end it without the settings.
    const MessageAnswer answer = messages_().ShowMessage(
        MessageKind::Error,
        Verbatim(
            S((failure ? CoreText(*failure) : QString()) + QStringLiteral("\n\n") +
              QCoreApplication::translate("tavrel::MainWindow", "設定を保存せずに終了しますか。"))),
        MessageButtons::YesNo);
    return answer == MessageAnswer::Yes;
}

} // namespace tavrel
