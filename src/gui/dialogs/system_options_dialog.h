#pragma once
// The system settings dialog "系统设置": the proxy page ("代理服务器") and the advanced page
// ("高级", diagnostic mode). The checks, the port format, the diagnostic path texts and the
// write of the proxy group with the process-wide record are the core's (system_pages.h).
//
// Threading: window thread.

#include <QDialog>

#include "core/config/app_config.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace zirvo::gui {

class CDebugSettingsPage;

class CSystemOptionsDialog : public QDialog {
    Q_OBJECT

public:
    CSystemOptionsDialog(CAppConfig& config, QWidget* parent);

    QTabWidget* Pages() const { return m_tabs; }
    void accept() override;

private:
    QWidget* BuildProxyPage();

    CAppConfig& m_config;
    QTabWidget* m_tabs = nullptr;
    QWidget* m_proxyPage = nullptr;
    QCheckBox* m_useProxy = nullptr;
    QCheckBox* m_useForLocal = nullptr;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
    CDebugSettingsPage* m_advancedPage = nullptr;
};

}  // namespace zirvo::gui
