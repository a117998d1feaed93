#include "gui/dialogs/debug_settings_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/system_pages.h"

namespace zirvo::gui {

namespace {
QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
}  // namespace

CDebugSettingsPage::CDebugSettingsPage(CAppConfig& config, QWidget* parent)
    : QWidget(parent), m_config(config) {
    setObjectName(QStringLiteral("debugSettingsPage"));
    auto* layout = new QVBoxLayout(this);
    m_use = new QCheckBox(Q(kDebugUseLabel) + QStringLiteral("(&D)"), this);
    m_use->setObjectName(QStringLiteral("debugUse"));
    layout->addWidget(m_use);
    auto* row = new QHBoxLayout;
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("debugPath"));
    m_path->setReadOnly(true);
    m_change = new QPushButton(Q(kDebugChangeButton) + QStringLiteral("(&C)"), this);
    m_change->setObjectName(QStringLiteral("change"));
    row->addWidget(m_path, 1);
    row->addWidget(m_change);
    layout->addLayout(row);
    for (const char* text : {kDebugExplanation1, kDebugExplanation2, kDebugExplanation3}) {
        auto* label = new QLabel(Q(text), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch();

    DebugSettings debug;
    if (m_config.ReadDebugSettings(debug)) {
        m_use->setChecked(debug.use != 0);
        m_path->setText(QString::fromStdString(DebugPathText(debug.outFolder)));
    }
    m_change->setEnabled(DebugChangeEnabled(m_use->isChecked()));
    connect(m_use, &QCheckBox::toggled, m_change,
            [this](bool on) { m_change->setEnabled(DebugChangeEnabled(on)); });
    connect(m_change, &QPushButton::clicked, this, &CDebugSettingsPage::ChooseFolder);
}

void CDebugSettingsPage::ChooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, Q(kDebugFolderBrowserTitle));
    if (!folder.isEmpty()) {
        m_path->setText(QString::fromStdString(DebugPathTextForChosenFolder(folder.toStdString())));
    }
}

bool CDebugSettingsPage::Commit() {
    return m_config.WriteDebugSettings(
        AdvancedPageSettings(m_use->isChecked(), m_path->text().toStdString()));
}

}  // namespace zirvo::gui
