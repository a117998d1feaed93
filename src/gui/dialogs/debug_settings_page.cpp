#include "gui/dialogs/debug_settings_page.h"

#include <QFileDialog>

#include "core/config/system_pages.h"
#include "ui_debug_settings_page.h"

namespace zirvo::gui {

CDebugSettingsPage::CDebugSettingsPage(CAppConfig& config, QWidget* parent)
    : QWidget(parent), m_config(config), m_ui(std::make_unique<Ui::DebugSettingsPage>()) {
    m_ui->setupUi(this);
    DebugSettings debug;
    if (m_config.ReadDebugSettings(debug)) {
        m_ui->debugUse->setChecked(debug.use != 0);
        m_ui->debugPath->setText(QString::fromStdString(DebugPathText(debug.outFolder)));
    }
    m_ui->change->setEnabled(DebugChangeEnabled(m_ui->debugUse->isChecked()));
    connect(m_ui->debugUse, &QCheckBox::toggled, m_ui->change,
            [this](bool on) { m_ui->change->setEnabled(DebugChangeEnabled(on)); });
    connect(m_ui->change, &QPushButton::clicked, this, &CDebugSettingsPage::ChooseFolder);
}

CDebugSettingsPage::~CDebugSettingsPage() = default;

void CDebugSettingsPage::ChooseFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QString::fromUtf8(kDebugFolderBrowserTitle));
    if (!folder.isEmpty()) {
        m_ui->debugPath->setText(
            QString::fromStdString(DebugPathTextForChosenFolder(folder.toStdString())));
    }
}

bool CDebugSettingsPage::Commit() {
    return m_config.WriteDebugSettings(
        AdvancedPageSettings(m_ui->debugUse->isChecked(), m_ui->debugPath->text().toStdString()));
}

}  // namespace zirvo::gui
