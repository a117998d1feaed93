#pragma once
// The reader settings dialog "阅读器设置" with the pages "常规" (receiving, paging and whether
// the article page loads pictures from the web), "存储" (the global storage policy), "外观"
// (list colours and fonts, tray and update check) and "统计信息" (channel and item counts). OK
// checks every page with the core's rules, shows the first refusal on its page with the focus on
// the field, and writes the settings only when all pages pass.
//
// Threading: window thread. The counts of the statistics page are read on a worker with its
// own store connection (they count a whole table).

#include <QDialog>
#include <functional>
#include <memory>

#include "core/config/app_config.h"

class QTabWidget;
class QWidget;

namespace Ui {
class ReaderOptionsDialog;
}

namespace zirvo::gui {

class CAppearancePage;

class CReaderOptionsDialog : public QDialog {
    Q_OBJECT

public:
    // Runs a job on a worker that its owner joins (the reader session's StartJob).
    using JobStarter = std::function<bool(std::function<void()>)>;

    // The statistics page counts the store at `dataRoot` as a job given to `startJob`.
    CReaderOptionsDialog(CAppConfig& config, const QString& dataRoot, JobStarter startJob,
                         QWidget* parent);
    ~CReaderOptionsDialog() override;

    QTabWidget* Pages() const;

    void accept() override;

private:
    void LoadValues();
    void StartCounting();
    void Refuse(QWidget* page, QWidget* field, const std::string& message);

    CAppConfig& m_config;
    QString m_dataRoot;
    JobStarter m_startJob;
    std::unique_ptr<Ui::ReaderOptionsDialog> m_ui;
    CAppearancePage* m_appearance = nullptr;
};

}  // namespace zirvo::gui
