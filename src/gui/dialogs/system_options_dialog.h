#pragma once
// The system settings dialog "系统设置": the proxy page ("代理服务器") and the advanced page
// ("高级", diagnostic mode). The checks, the port format, the diagnostic path texts and the
// write of the proxy group with the process-wide record are the core's (system_pages.h).
//
// Threading: window thread.

#include <QDialog>
#include <memory>

#include "core/config/app_config.h"

class QTabWidget;

namespace Ui {
class SystemOptionsDialog;
}

namespace zirvo::gui {

class CDebugSettingsPage;

class CSystemOptionsDialog : public QDialog {
    Q_OBJECT

public:
    CSystemOptionsDialog(CAppConfig& config, QWidget* parent);
    ~CSystemOptionsDialog() override;

    QTabWidget* Pages() const;
    void accept() override;

private:
    void LoadProxy();

    CAppConfig& m_config;
    std::unique_ptr<Ui::SystemOptionsDialog> m_ui;
    CDebugSettingsPage* m_advancedPage = nullptr;
};

}  // namespace zirvo::gui
