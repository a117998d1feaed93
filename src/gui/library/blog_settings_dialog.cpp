#include "gui/library/blog_settings_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "core/accounts/account_records.h"
#include "core/accounts/account_registry.h"
#include "core/config/system_pages.h"
#include "gui/dialogs/debug_settings_page.h"

namespace zirvo::gui {

namespace {

enum Column { kName, kDescription, kService, kBlog, kProtected, kColumns };

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CBlogSettingsDialog::CBlogSettingsDialog(CAppConfig& config, CAccountRegistry& registry,
                                         NewAccountFn newAccount, AccountSettingsFn accountSettings,
                                         QWidget* parent)
    : QDialog(parent),
      m_registry(registry),
      m_newAccount(std::move(newAccount)),
      m_accountSettings(std::move(accountSettings)) {
    setWindowTitle(QStringLiteral("BLOG设置"));
    setObjectName(QStringLiteral("blogSettingsDialog"));
    m_tabs = new QTabWidget(this);

    auto* accountsPage = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(accountsPage);
    auto* caption = new QLabel(QStringLiteral("博客账户(&L):"), accountsPage);
    m_accounts = new QTreeWidget(accountsPage);
    m_accounts->setObjectName(QStringLiteral("accountList"));
    caption->setBuddy(m_accounts);
    m_accounts->setRootIsDecorated(false);
    m_accounts->setUniformRowHeights(true);
    m_accounts->setAllColumnsShowFocus(true);
    m_accounts->setHeaderLabels({QStringLiteral("账户名"), QStringLiteral("账户描述"),
                                 QStringLiteral("服务类型"), QStringLiteral("博客地址"),
                                 QStringLiteral("本机登陆验证")});
    m_accounts->header()->setStretchLastSection(false);
    m_accounts->header()->setSectionResizeMode(kBlog, QHeaderView::Stretch);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("新建账户(&N)..."), accountsPage);
    add->setObjectName(QStringLiteral("newAccountButton"));
    m_settings = new QPushButton(QStringLiteral("账户设置(&A)..."), accountsPage);
    m_settings->setObjectName(QStringLiteral("accountSettingsButton"));
    buttons->addWidget(add);
    buttons->addWidget(m_settings);
    buttons->addStretch();
    pageLayout->addWidget(caption);
    pageLayout->addWidget(m_accounts, 1);
    pageLayout->addLayout(buttons);
    auto* note = new QLabel(
        QStringLiteral("删除账户请在“账户设置”的“安全设置”页中进行, 需要输入账户的博客密码。"),
        accountsPage);
    note->setWordWrap(true);
    pageLayout->addWidget(note);
    m_tabs->addTab(accountsPage, QStringLiteral("账户"));

    m_advanced = new CDebugSettingsPage(config, this);
    m_tabs->addTab(m_advanced, QString::fromUtf8(kAdvancedPageTitle));

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &CBlogSettingsDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, [this] {
        if (m_newAccount) {
            m_newAccount();
        }
        ReloadAccounts();
    });
    connect(m_settings, &QPushButton::clicked, this, &CBlogSettingsDialog::OpenSelected);
    connect(m_accounts, &QTreeWidget::itemActivated, this, &CBlogSettingsDialog::OpenSelected);
    connect(m_accounts, &QTreeWidget::currentItemChanged, this,
            &CBlogSettingsDialog::RefreshButtons);
    ReloadAccounts();
    resize(620, 380);
}

void CBlogSettingsDialog::ReloadAccounts() {
    const QString selected =
        m_accounts->currentItem() != nullptr ? m_accounts->currentItem()->text(kName) : QString();
    m_accounts->clear();
    std::vector<AccountListEntry> accounts;
    m_registry.ListAccounts(accounts);
    for (const AccountListEntry& account : accounts) {
        auto* item = new QTreeWidgetItem(m_accounts);
        item->setText(kName, Q(account.name));
        item->setText(kDescription, Q(account.description));
        item->setText(kService, Q(account.apiType));
        item->setText(kBlog, Q(account.blogUrl));
        item->setText(kProtected, account.localLoginVerify != 0 ? QStringLiteral("开启")
                                                                : QStringLiteral("关闭"));
        if (item->text(kName) == selected) {
            m_accounts->setCurrentItem(item);
        }
    }
    if (m_accounts->currentItem() == nullptr && m_accounts->topLevelItemCount() > 0) {
        m_accounts->setCurrentItem(m_accounts->topLevelItem(0));
    }
    for (int column = 0; column < kColumns; ++column) {
        if (column != kBlog) {
            m_accounts->resizeColumnToContents(column);
        }
    }
    RefreshButtons();
}

void CBlogSettingsDialog::RefreshButtons() {
    const bool chosen = m_accounts->currentItem() != nullptr;
    m_settings->setEnabled(chosen);
    m_settings->setToolTip(chosen ? QString()
                           : m_accounts->topLevelItemCount() == 0
                               ? QStringLiteral("还没有博客账户, 请先新建一个")
                               : QStringLiteral("请先选择一个账户"));
}

void CBlogSettingsDialog::OpenSelected() {
    QTreeWidgetItem* item = m_accounts->currentItem();
    if (item == nullptr) {
        return;
    }
    if (m_accountSettings) {
        m_accountSettings(item->text(kName).toStdString());
    }
    ReloadAccounts();
}

void CBlogSettingsDialog::accept() {
    if (!m_advanced->Commit()) {
        m_tabs->setCurrentWidget(m_advanced);
        return;
    }
    QDialog::accept();
}

}  // namespace zirvo::gui
