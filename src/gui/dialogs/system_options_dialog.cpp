#include "gui/dialogs/system_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/config/system_pages.h"
#include "gui/dialogs/debug_settings_page.h"

namespace zirvo::gui {

namespace {
QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
}  // namespace

CSystemOptionsDialog::CSystemOptionsDialog(CAppConfig& config, QWidget* parent)
    : QDialog(parent), m_config(config) {
    setWindowTitle(QStringLiteral("系统设置"));
    setObjectName(QStringLiteral("systemOptionsDialog"));
    m_tabs = new QTabWidget(this);
    m_proxyPage = BuildProxyPage();
    m_tabs->addTab(m_proxyPage, Q(kProxyPageTitle));
    m_advancedPage = new CDebugSettingsPage(m_config, this);
    m_tabs->addTab(m_advancedPage, Q(kAdvancedPageTitle));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSystemOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Room for a host name and a folder path without scrolling inside the fields.
    setMinimumWidth(480);
}

QWidget* CSystemOptionsDialog::BuildProxyPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_useProxy = new QCheckBox(Q(kProxyUseLabel) + QStringLiteral("(&U)"), page);
    m_useProxy->setObjectName(QStringLiteral("useProxy"));
    layout->addWidget(m_useProxy);
    auto* group = new QGroupBox(QStringLiteral("服务器设置"), page);
    auto* form = new QFormLayout(group);
    m_server = new QLineEdit(group);
    m_server->setObjectName(QStringLiteral("server"));
    m_port = new QLineEdit(group);
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setMaxLength(5);
    m_userName = new QLineEdit(group);
    m_userName->setObjectName(QStringLiteral("userName"));
    m_password = new QLineEdit(group);
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("地址(&A):"), m_server);
    form->addRow(QStringLiteral("端口(&P):"), m_port);
    form->addRow(QStringLiteral("用户名(&N):"), m_userName);
    form->addRow(QStringLiteral("密码(&W):"), m_password);
    layout->addWidget(group);
    // The server fields only mean something while the proxy is on.
    connect(m_useProxy, &QCheckBox::toggled, group, &QWidget::setEnabled);
    m_useForLocal = new QCheckBox(Q(kProxyUseForLocalLabel) + QStringLiteral("(&L)"), page);
    m_useForLocal->setObjectName(QStringLiteral("useForLocal"));
    layout->addWidget(m_useForLocal);
    layout->addStretch();

    ProxySettings proxy;
    if (m_config.ReadProxySettings(proxy)) {
        const ProxyPageInput input = ProxyPageInputOf(proxy);
        m_useProxy->setChecked(input.use);
        m_useForLocal->setChecked(input.useForLocal);
        m_server->setText(QString::fromStdString(input.server));
        m_port->setText(QString::fromStdString(input.portText));
        m_userName->setText(QString::fromStdString(input.userName));
        m_password->setText(QString::fromStdString(input.password));
    }
    group->setEnabled(m_useProxy->isChecked());
    return page;
}

void CSystemOptionsDialog::accept() {
    ProxyPageInput input;
    input.use = m_useProxy->isChecked();
    input.useForLocal = m_useForLocal->isChecked();
    input.server = m_server->text().toStdString();
    input.portText = m_port->text().toStdString();
    input.userName = m_userName->text().toStdString();
    input.password = m_password->text().toStdString();
    ProxySettings proxy;
    const SettingsCheck check = CheckProxyPage(input, proxy);
    if (!check.ok) {
        m_tabs->setCurrentWidget(m_proxyPage);
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(check.message));
        (check.focus == SettingsField::ProxyPort ? m_port : m_server)->setFocus();
        return;
    }
    if (!CommitProxyPage(m_config, proxy)) {
        return;
    }
    if (!m_advancedPage->Commit()) {
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
