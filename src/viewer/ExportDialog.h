#pragma once

#include "export/Exporters.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace tavrel {

enum class ExportScope { WholeFile, ChosenBursts, CursorRange };

// What the operator asked the viewer to export, and where to.
struct ExportRequest {
    ExportScope Scope = ExportScope::WholeFile;
    std::vector<std::int64_t> Bursts; // 0-based, for ChosenBursts
    ExportFormat Format = ExportFormat::Csv;
    CsvEncoding Encoding = CsvEncoding::Utf8;
    QString Out;
};

// Asks what to export (the whole file, bursts typed as "1,3-5", or the range between the
// cursors), in which format, and the output file. Accepts only a request that can be carried
// out as typed.
class ExportDialog : public QDialog {
    Q_OBJECT

public:
    // shownBurst: the burst the charts show (0-based), the default choice of bursts. last:
    // the request made before, whose entries the dialog starts from (null: the defaults).
    ExportDialog(const QString& dataFile, std::int64_t shownBurst, QWidget* parent = nullptr,
                 const ExportRequest* last = nullptr);

    ExportRequest Request() const { return request_; }

    void accept() override;

private:
    void ChooseOut();
    void FollowFormat();

    QButtonGroup* scope_ = nullptr;
    QLineEdit* bursts_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* encoding_ = nullptr;
    QLineEdit* out_ = nullptr;
    ExportRequest request_;
};

} // namespace tavrel
