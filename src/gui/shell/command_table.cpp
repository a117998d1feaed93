#include "gui/shell/command_table.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QKeySequence>
#include <QRegularExpression>
#include <QStyle>

namespace zirvo::gui {

namespace {

struct CommandInfo {
    int id;
    const char* text;
    const char* objectName;
    QKeySequence::StandardKey standardKey;
    const char* shortcut;  // used when standardKey is UnknownKey
    const char* themeIcon;
    QStyle::StandardPixmap fallbackIcon;
    const char* unavailable = nullptr;  // why it is disabled while it has no handler
};

constexpr auto kNoKey = QKeySequence::UnknownKey;
constexpr auto kNoIcon = QStyle::SP_CustomBase;

const char kBlogLater[] = "博客文章库的窗口尚未完成";
const char kFavouritesLater[] = "RSS收藏的窗口尚未完成";
const char kOpmlLater[] = "OPML 导入导出的窗口尚未完成";
const char kSearchLater[] = "搜索栏尚未完成";
const char kBrowserLater[] = "浏览器集成尚未完成";
const char kNoUpdateCheck[] = "这个版本不提供在线检查新版本";

// The system's command texts, as its menus show them.
const CommandInfo kCommands[] = {
    {kCmdGetPosts, "获取日志", "actionGetPosts", kNoKey, "", "mail-receive", kNoIcon, kBlogLater},
    {kCmdComposePost, "撰写日志", "actionComposePost", kNoKey, "Ctrl+Shift+W", "document-new",
     QStyle::SP_FileIcon, kBlogLater},
    {kCmdImportPosts, "导入日志", "actionImportPosts", kNoKey, "", "document-import", kNoIcon,
     kBlogLater},
    {kCmdAccountSettings, "账户设置", "actionAccountSettings", kNoKey, "", "user-properties",
     kNoIcon, kBlogLater},
    {kCmdNewFolder, "新建目录(&M)...", "actionNewFolder", kNoKey, "Ctrl+Shift+N", "folder-new",
     QStyle::SP_FileDialogNewFolder},
    {kCmdReceiveAll, "全部更新(&A)", "actionReceiveAll", kNoKey, "F5", "view-refresh",
     QStyle::SP_BrowserReload},
    {kCmdAddSubscription, "添加订阅(&N)...", "actionAddSubscription", kNoKey, "Ctrl+N", "list-add",
     QStyle::SP_FileDialogNewFolder},
    {kCmdBlogSettings, "BLOG设置(&S)...", "actionBlogSettings", kNoKey, "", "configure", kNoIcon,
     kBlogLater},
    {kCmdImportOpml, "导入OPML频道(&I)...", "actionImportOpml", kNoKey, "Ctrl+I", "document-import",
     kNoIcon, kOpmlLater},
    {kCmdExportAll, "所有频道(&L)", "actionExportAll", kNoKey, "", "document-export", kNoIcon,
     kOpmlLater},
    {kCmdExportCurrent, "当前频道(&H)", "actionExportCurrent", kNoKey, "", "", kNoIcon, kOpmlLater},
    {kCmdNewAccount, "新建账户(&N)...", "actionNewAccount", kNoKey, "", "list-add-user", kNoIcon,
     kBlogLater},
    {kCmdOrganizeFavourites, "整理收藏夹(&R)", "actionOrganizeFavourites", kNoKey, "", "", kNoIcon,
     kBrowserLater},
    {kCmdNewFavouriteFolder, "新建收藏夹", "actionNewFavouriteFolder", kNoKey, "", "folder-new",
     kNoIcon, kFavouritesLater},
    {kCmdAddFavourite, "添加收藏", "actionAddFavourite", kNoKey, "", "bookmark-new", kNoIcon,
     kFavouritesLater},
    {kCmdAddFavouriteItem, "添加收藏项", "actionAddFavouriteItem", kNoKey, "", "", kNoIcon,
     kFavouritesLater},
    {kCmdReaderSettings, "RSS阅读器设置(&S)...", "actionReaderSettings", kNoKey, "Ctrl+,",
     "configure", QStyle::SP_FileDialogDetailedView},
    {kCmdCompactFeeds, "压缩数据库(&C)...", "actionCompactFeeds", kNoKey, "", "", kNoIcon},
    {kCmdBrowserMenuAdd, "添加(&A)", "actionBrowserMenuAdd", kNoKey, "", "", kNoIcon,
     kBrowserLater},
    {kCmdBrowserMenuRemove, "移除(&R)", "actionBrowserMenuRemove", kNoKey, "", "", kNoIcon,
     kBrowserLater},
    {kCmdSearch, "搜索(&F)", "actionSearch", QKeySequence::Find, "", "edit-find", kNoIcon,
     kSearchLater},
    {kCmdImportFavourites, "导入收藏", "actionImportFavourites", kNoKey, "", "", kNoIcon,
     kFavouritesLater},
    {kCmdSupportForum, "访问支持论坛", "actionSupportForum", kNoKey, "", "", kNoIcon},
    {kCmdCompactArticles, "压缩数据库(&C)...", "actionCompactArticles", kNoKey, "", "", kNoIcon},
    {kCmdHelpPage, "打开帮助页面", "actionHelpPage", QKeySequence::HelpContents, "",
     "help-contents", QStyle::SP_DialogHelpButton},
    {kCmdShowMainWindow, "显示主窗体", "actionShowMainWindow", kNoKey, "", "", kNoIcon},
    {kCmdCleaningWizard, "清理文章向导(&Q)...", "actionCleaningWizard", kNoKey, "", "edit-clear",
     kNoIcon},
    {kCmdCheckUpdate, "检查新版本(&C)", "actionCheckUpdate", kNoKey, "", "", kNoIcon,
     kNoUpdateCheck},
    {kCmdSystemSettings, "系统设置(&P)...", "actionSystemSettings", kNoKey, "",
     "preferences-system", kNoIcon},
    {kCmdSupportSite, "访问支持站点", "actionSupportSite", kNoKey, "", "", kNoIcon},
    {kCmdAbout, "关于...", "actionAbout", kNoKey, "", "help-about", kNoIcon},
    {kCmdExit, "退出(&Q)", "actionExit", QKeySequence::Quit, "Ctrl+Q", "application-exit", kNoIcon},
};

}  // namespace

CCommandTable::CCommandTable(QObject* parent) : QObject(parent) {
    QStyle* style = QApplication::style();
    for (const CommandInfo& info : kCommands) {
        auto* action = new QAction(QString::fromUtf8(info.text), this);
        action->setObjectName(QString::fromLatin1(info.objectName));
        action->setData(info.id);
        // Tool buttons show the text without the menu's accelerator and ellipsis.
        QString iconText = action->text();
        iconText.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        iconText.remove(QStringLiteral("..."));
        action->setIconText(iconText);
        if (info.standardKey != kNoKey) {
            action->setShortcuts(info.standardKey);
        }
        if (action->shortcuts().isEmpty() && info.shortcut[0] != '\0') {
            action->setShortcut(QKeySequence(QString::fromLatin1(info.shortcut)));
        }
        QIcon fallback;
        if (info.fallbackIcon != kNoIcon) {
            fallback = style->standardIcon(info.fallbackIcon);
        }
        if (info.themeIcon[0] != '\0') {
            action->setIcon(QIcon::fromTheme(QString::fromLatin1(info.themeIcon), fallback));
        } else {
            action->setIcon(fallback);
        }
        action->setEnabled(false);
        action->setToolTip(
            QString::fromUtf8(info.unavailable != nullptr ? info.unavailable : "这个命令尚不可用"));
        m_actions.insert(info.id, action);
    }
}

void CCommandTable::SetHandler(int id, QObject* context, std::function<void()> handler) {
    QAction* action = Action(id);
    if (action == nullptr || m_handled.contains(id)) {
        return;
    }
    m_handled.insert(id);
    connect(action, &QAction::triggered, context, [handler = std::move(handler)] { handler(); });
    action->setToolTip(QString());
    action->setEnabled(true);
}

QAction* CCommandTable::Action(int id) const {
    return m_actions.value(id, nullptr);
}

}  // namespace zirvo::gui
