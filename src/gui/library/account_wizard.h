#pragma once
// The new-account wizard "新建账户向导": a welcome page and five steps (local name and
// description, service type and encoding with the BSP.xml presets, endpoint and port, user name
// and password, confirmation with "测试连接"). The page logic and every check are the core's
// (new_account_wizard.h); the wizard only moves texts between the record and the fields.
//
// "测试连接" runs on a worker of the wizard: the window keeps painting, and the wizard cannot be
// closed or moved on until the answer is in (the worker is joined before the wizard goes).
// "完成" creates the account and sends the main window 2166 (-1, 99997).
//
// Threading: window thread; the connection test's worker only reports back through a queued
// call on the wizard.

#include <QWizard>

class QComboBox;
#include <memory>
#include <vector>

#include "core/accounts/new_account_wizard.h"
#include "core/util/worker_set.h"
#include "gui/library/library_context.h"

namespace Ui {
class CAccountWizard;
}

namespace zirvo::gui {

class CAccountWizard : public QWizard {
    Q_OBJECT

public:
    CAccountWizard(const LibraryContext& context, QWidget* parent = nullptr);
    ~CAccountWizard() override;

    const WizardRecord& Record() const { return m_record; }
    bool Testing() const { return m_testing; }

    bool validateCurrentPage() override;
    void reject() override;

signals:
    // The account has been added to the registry (and 2166 sent).
    void AccountCreated(const QString& name);
    // The connection test has ended; `ok` when the server took the user.
    void ConnectionTested(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnPageShown(int id);
    void ReadFields();
    void ShowRecordEndpoint();
    void SelectText(QComboBox* box, const std::string& text);
    void FocusField(AccountField field);
    void StartConnectionTest();
    void EndConnectionTest(bool ok);

    LibraryContext m_context;
    std::unique_ptr<Ui::CAccountWizard> m_ui;
    WizardRecord m_record;
    std::vector<BspPreset> m_presets;
    bool m_testing = false;
    CWorkerSet m_worker;  // last: joined before the members above go
};

}  // namespace zirvo::gui
