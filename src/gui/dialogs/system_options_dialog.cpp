#include "gui/dialogs/system_options_dialog.h"

#include <QFontMetrics>
#include <QMessageBox>

#include "core/config/system_pages.h"
#include "gui/dialogs/debug_settings_page.h"
#include "ui_system_options_dialog.h"

namespace zirvo::gui {

CSystemOptionsDialog::CSystemOptionsDialog(CAppConfig& config, QWidget* parent)
    : QDialog(parent), m_config(config), m_ui(std::make_unique<Ui::SystemOptionsDialog>()) {
    m_ui->setupUi(this);
    m_advancedPage = new CDebugSettingsPage(m_config, this);
    m_ui->pages->addTab(m_advancedPage, QString::fromUtf8(kAdvancedPageTitle));
    // Room for a host name and a folder path without scrolling inside the fields.
    setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    // The server fields only mean something while the proxy is on.
    connect(m_ui->useProxy, &QCheckBox::toggled, m_ui->serverGroup, &QWidget::setEnabled);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CSystemOptionsDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    LoadProxy();
}

CSystemOptionsDialog::~CSystemOptionsDialog() = default;

QTabWidget* CSystemOptionsDialog::Pages() const {
    return m_ui->pages;
}

void CSystemOptionsDialog::LoadProxy() {
    ProxySettings proxy;
    if (m_config.ReadProxySettings(proxy)) {
        const ProxyPageInput input = ProxyPageInputOf(proxy);
        m_ui->useProxy->setChecked(input.use);
        m_ui->useForLocal->setChecked(input.useForLocal);
        m_ui->server->setText(QString::fromStdString(input.server));
        m_ui->port->setText(QString::fromStdString(input.portText));
        m_ui->userName->setText(QString::fromStdString(input.userName));
        m_ui->password->setText(QString::fromStdString(input.password));
    }
    m_ui->serverGroup->setEnabled(m_ui->useProxy->isChecked());
}

void CSystemOptionsDialog::accept() {
    ProxyPageInput input;
    input.use = m_ui->useProxy->isChecked();
    input.useForLocal = m_ui->useForLocal->isChecked();
    input.server = m_ui->server->text().toStdString();
    input.portText = m_ui->port->text().toStdString();
    input.userName = m_ui->userName->text().toStdString();
    input.password = m_ui->password->text().toStdString();
    ProxySettings proxy;
    const SettingsCheck check = CheckProxyPage(input, proxy);
    if (!check.ok) {
        m_ui->pages->setCurrentWidget(m_ui->proxyPage);
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(check.message));
        (check.focus == SettingsField::ProxyPort ? m_ui->port : m_ui->server)->setFocus();
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
