#pragma once

#include "export/Exporters.h"

#include <QDialog>
#include <QString>

#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace tavrel {

enum class ExportScope { WholeFile, ChosenBursts, CursorRange };

// What the operator asked the viewer to export, and where to.
struct ExportRequest {
    ExportScope Scope = ExportScope::WholeFile;
    std::vector<std::int64_t> Bursts; // 0-based, for ChosenBursts
    std::vector<int> Channels;        // 0-based, in the file's order; empty: every one
    ExportFormat Format = ExportFormat::Csv;
    CsvEncoding Encoding = CsvEncoding::Utf8;
    QString Out;
};

// What the file offers the dialog besides its name.
struct ExportChoices {
    QStringList Channels; // a check box each, all checked at first
    // The files a request would write; empty when it cannot be carried out.
    std::function<QStringList(const ExportRequest&)> OutputNames;
    QString SettingsFile; // where the last format is kept; empty: not kept
};

// Asks what to export (the whole file, bursts typed as "1,3-5", or the range between the
// cursors), which channels, in which format, and the output file, and names the files that
// will be written. Accepts only a request that can be carried out as typed.
class ExportDialog : public QDialog {
    Q_OBJECT

public:
    // shownBurst: the burst the charts show (0-based), the default choice of bursts. last:
    // the request made before, whose entries the dialog starts from (null: the defaults).
    ExportDialog(const QString& dataFile, std::int64_t shownBurst, QWidget* parent = nullptr,
                 const ExportRequest* last = nullptr, ExportChoices choices = {});

    ExportRequest Request() const { return request_; }
    // The files the entries as they stand would write.
    QStringList OutputNames() const { return names_; }

    void accept() override;

private:
    void ChooseOut();
    void FollowFormat();
    // The request of the entries; false (and no message) when they make none.
    bool Entries(ExportRequest& r) const;
    void ShowOutputNames();

    QButtonGroup* scope_ = nullptr;
    QLineEdit* bursts_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* encoding_ = nullptr;
    QLineEdit* out_ = nullptr;
    std::vector<QCheckBox*> channels_;
    QLabel* namesLabel_ = nullptr;
    QStringList names_;
    ExportChoices choices_;
    ExportRequest request_;
};

} // namespace tavrel
