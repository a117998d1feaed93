// The settings sheet: opening, the general, connection and editor pages, and OK / Apply.

#include "gui/library/account_settings_sheet.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "core/accounts/account_messages.h"
#include "core/accounts/account_rules.h"
#include "core/accounts/new_account_wizard.h"
#include "core/integration/window_message.h"
#include "core/views/article_document.h"
#include "core/views/blog_article_document.h"
#include "ui_account_settings_sheet.h"

namespace zirvo::gui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

// lParam of 2166: the account's description changed.
constexpr qint64 kAccountChanged = 99998;

void SelectOrAdd(QComboBox* box, const QString& text) {
    int index = box->findText(text);
    if (index < 0 && !text.isEmpty()) {
        box->addItem(text);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

}  // namespace

CAccountSettingsSheet::CAccountSettingsSheet(const LibraryContext& context,
                                             const std::string& account, int treeCode,
                                             QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_account(account),
      m_treeCode(treeCode),
      m_ui(std::make_unique<Ui::CAccountSettingsSheet>()) {
    m_ui->setupUi(this);
    setWindowTitle(QStringLiteral("帐户设置: ") + Q(account));
    for (const char* type : kSettingsApiTypes) {
        m_ui->apiTypeBox->addItem(QString::fromUtf8(type));
    }
    for (const char* encoding : kSettingsEncodings) {
        m_ui->encodingBox->addItem(QString::fromUtf8(encoding));
    }
    m_ui->buttons->button(QDialogButtonBox::Apply)->setText(QStringLiteral("应用(&A)"));
    m_ui->availableList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_ui->availableList->header()->setStretchLastSection(true);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &CAccountSettingsSheet::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &CAccountSettingsSheet::reject);
    connect(m_ui->buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] {
        if (Apply() && m_deleted) {
            QDialog::accept();
        }
    });
    connect(m_ui->chooseEditorButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("选择"), Q(m_context.root.Dir()), QStringLiteral("*.*"));
        if (!path.isEmpty()) {
            m_ui->editorIndexEdit->setText(QDir::toNativeSeparators(path));
        }
    });
    connect(m_ui->moveInButton, &QPushButton::clicked, this, [this] { MoveIn(false); });
    connect(m_ui->moveAllInButton, &QPushButton::clicked, this, [this] { MoveIn(true); });
    connect(m_ui->moveOutButton, &QPushButton::clicked, this, [this] { MoveOut(false); });
    connect(m_ui->moveAllOutButton, &QPushButton::clicked, this, [this] { MoveOut(true); });
    connect(m_ui->availableList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { VerifyRow(item->text(1)); });
    connect(m_ui->protectionGroup, &QGroupBox::toggled, this,
            &CAccountSettingsSheet::UpdateSafeEnabling);
    connect(m_ui->localPasswordRadio, &QRadioButton::toggled, this,
            &CAccountSettingsSheet::UpdateSafeEnabling);
    connect(m_ui->deleteAccountCheck, &QCheckBox::toggled, this,
            &CAccountSettingsSheet::UpdateSafeEnabling);
    m_loaded = Load();
}

CAccountSettingsSheet::~CAccountSettingsSheet() = default;

bool CAccountSettingsSheet::Load() {
    CAccountRegistry& registry = m_context.registry;
    // The registry shows its own numbered message; the sheet says what that means for it.
    if (!registry.ReadAccount(m_account, m_info)) {
        m_context.messages.ShowMessageBox(kTextLoadAccountFailed);
        return false;
    }
    m_ui->descriptionEdit->setText(Q(m_info.description));
    m_ui->recentSpin->setValue(m_info.getRecentPostsNum);

    m_ui->endpointEdit->setText(Q(m_info.xmlrpcUrl));
    m_ui->portSpin->setValue(std::atoi(m_info.port.c_str()));
    SelectOrAdd(m_ui->apiTypeBox, Q(m_info.apiType));
    SelectOrAdd(m_ui->encodingBox, Q(m_info.encodeType));
    m_ui->userEdit->setText(Q(m_info.userName));
    m_ui->passwordEdit->setText(Q(m_info.password));
    m_ui->blogUrlEdit->setText(Q(m_info.blogUrl));

    std::string value;
    if (registry.ReadAccountValue(m_account, "editorindex", value)) {
        m_ui->editorIndexEdit->setText(Q(value));
    }
    if (registry.ReadAccountValue(m_account, "editorinputfun", value)) {
        m_ui->inputFunEdit->setText(Q(value));
    }
    if (registry.ReadAccountValue(m_account, "editoroutputfun", value)) {
        m_ui->outputFunEdit->setText(Q(value));
    }
    for (const std::string& skin : ListSkins(m_context.root.Path(kLogSkinFolder))) {
        m_ui->templateBox->addItem(Q(skin));
    }
    if (registry.ReadAccountValue(m_account, "logxsl", value)) {
        SelectOrAdd(m_ui->templateBox, Q(value));
    }
    LoadPermission();
    LoadSafe();
    return true;
}

void CAccountSettingsSheet::Refuse(int page, const std::string& message, QWidget* focus) {
    m_ui->pages->setCurrentIndex(page);
    if (!message.empty()) {
        m_context.messages.ShowMessageBox(message);
    }
    if (focus != nullptr) {
        focus->setFocus();
    }
}

bool CAccountSettingsSheet::ApplyGeneral() {
    const RuleResult check = CheckRecentPostsNum(m_ui->recentSpin->value());
    if (!check.Ok()) {
        Refuse(kPageGeneralIndex, check.message, m_ui->recentSpin);
        return false;
    }
    CAccountRegistry& registry = m_context.registry;
    if (!registry.WriteAccountValue(m_account, "getrecentpostsnum",
                                    std::to_string(m_ui->recentSpin->value())) ||
        !registry.WriteAccountValue(m_account, "description", S(m_ui->descriptionEdit->text()))) {
        Refuse(kPageGeneralIndex, std::string(), nullptr);
        return false;
    }
    m_context.Send(kMsgBlogTreeUpdate, m_treeCode, kAccountChanged);
    return true;
}

bool CAccountSettingsSheet::ApplyConnection() {
    AccountInfo info = m_info;
    info.xmlrpcUrl = S(m_ui->endpointEdit->text());
    info.port = std::to_string(m_ui->portSpin->value());
    info.apiType = S(m_ui->apiTypeBox->currentText());
    info.encodeType = S(m_ui->encodingBox->currentText());
    info.userName = S(m_ui->userEdit->text());
    info.password = S(m_ui->passwordEdit->text());
    info.blogUrl = S(m_ui->blogUrlEdit->text());
    const RuleResult check = CheckConnectionPage(info.xmlrpcUrl, info.userName, info.password);
    if (!check.Ok()) {
        QWidget* focus = check.field == AccountField::kXmlRpcUrl  ? m_ui->endpointEdit
                         : check.field == AccountField::kUserName ? m_ui->userEdit
                                                                  : m_ui->passwordEdit;
        Refuse(kPageConnectionIndex, check.message, focus);
        return false;
    }
    if (!m_context.registry.WriteAccount(m_account, info, AccountNameWrite::kKeep)) {
        Refuse(kPageConnectionIndex, std::string(), nullptr);
        return false;
    }
    m_info = info;
    return true;
}

bool CAccountSettingsSheet::ApplyEditor() {
    CAccountRegistry& registry = m_context.registry;
    const QString skin = m_ui->templateBox->currentText();
    if (!skin.isEmpty()) {
        if (!registry.WriteAccountValue(m_account, "logxsl", S(skin))) {
            Refuse(kPageEditorIndex, std::string(), nullptr);
            return false;
        }
        m_context.Send(kMsgArticleStyleChanged, 0, 0);
    }
    if (!registry.WriteAccountValue(m_account, "editorindex", S(m_ui->editorIndexEdit->text())) ||
        !registry.WriteAccountValue(m_account, "editorinputfun", S(m_ui->inputFunEdit->text())) ||
        !registry.WriteAccountValue(m_account, "editoroutputfun", S(m_ui->outputFunEdit->text()))) {
        Refuse(kPageEditorIndex, std::string(), nullptr);
        return false;
    }
    return true;
}

bool CAccountSettingsSheet::Apply() {
    if (!m_loaded || m_deleted) {
        return m_deleted;
    }
    return ApplyGeneral() && ApplyConnection() && ApplyEditor() && ApplyPermission() && ApplySafe();
}

void CAccountSettingsSheet::accept() {
    if (Apply()) {
        QDialog::accept();
    }
}

}  // namespace zirvo::gui
