#pragma once

#include "acquisition/MeasurementParameters.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"
#include "ui/SettingsLocation.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tavrel {

class EntryBinding;
class ProgressDialog;
struct MainWindowForm;

// The parameter files of the File menu and the save page's browse button: a parameter file or
// the header of a data file taken into the entries, the entries saved, and "default.apm"
// written when the program ends.
class ParameterCommands : public QObject {
public:
    // channelCountChanged runs after a parameter file changed the entries' channel count.
    ParameterCommands(MainWindowForm& form, EntryBinding& entries, SDFdata& data,
                      MeasurementSettings& settings, SettingsLocation& location,
                      ProgressDialog& progress, std::function<void()> channelCountChanged,
                      std::function<Prompter&()> messages, QObject* parent);

    // Connects the File menu's load and save entries and the browse button.
    void Connect();

    // The file operations once a file was chosen; failures are shown, not thrown, by the
    // first, thrown by the second.
    void LoadParametersFrom(const QString& fileName);
    void SaveParametersTo(const QString& fileName);
    // Writes "default.apm"; false when the operator chose to keep the program running after
    // a failure.
    bool SaveDefaultParameters();

private:
    void BrowseDataFile();
    void LoadParameters();
    void SaveParameters();

    MainWindowForm& form_;
    EntryBinding& entries_;
    SDFdata& data_;
    MeasurementSettings& settings_;
    SettingsLocation& location_;
    ProgressDialog& progress_;
    std::function<void()> channelCountChanged_;
    std::function<Prompter&()> messages_;
};

} // namespace tavrel
