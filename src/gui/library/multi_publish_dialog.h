#pragma once
// "发布到多个博客(&U)...": one article of the drafts or the recycle bin published to up to five
// accounts at once. One row per account ("序号", "帐户名", "权限" √/×, "描述" and later the
// row's sending status); a "×" row needs its account's password (double click) before it may
// be checked for publishing. The rows, the checks and the jobs are the core's
// (multi_publish.h, CPublishJobs::StartMultiPublish); each account's job reports its status
// into its row.
//
// Threading: window thread.

#include <QDialog>
#include <memory>
#include <set>

#include "core/publishing/multi_publish.h"
#include "gui/library/library_context.h"

namespace Ui {
class CMultiPublishDialog;
}

namespace zirvo {
class CPublishJobs;
}

namespace zirvo::gui {

class CMultiPublishDialog : public QDialog {
    Q_OBJECT

public:
    CMultiPublishDialog(const LibraryContext& context, CPublishJobs& jobs,
                        MultiPublishRequest request, QWidget* parent = nullptr);
    ~CMultiPublishDialog() override;

    // "发布": the checks, then one job per checked row. False when nothing started.
    bool Publish();
    // A job's status for its row (only the jobs this dialog started).
    void SetRowStatus(int jobId, int row, const QString& text);
    // Double click on a row: asks a "×" account's password.
    void VerifyRow(int row);
    bool Started() const { return !m_jobs.empty(); }
    QString RowText(int row, int column) const;
    void SetChecked(int row, bool checked);

private:
    void ShowRows();
    void ReadChecks();

    LibraryContext m_context;
    CPublishJobs& m_publishJobs;
    MultiPublishRequest m_request;
    std::unique_ptr<Ui::CMultiPublishDialog> m_ui;
    std::set<int> m_jobs;
};

}  // namespace zirvo::gui
