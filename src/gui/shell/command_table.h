#pragma once
// The main window's commands: one QAction per command id of the system, shared by the menus,
// the tool bars, the context menus, the tray menu and the shortcuts. The ids stay the system's
// so that any table that names a command by number maps onto one action. The window and the
// reader views register what each command does; a command nobody carries out stays disabled
// with the reason as its tooltip.
//
// Threading: window thread only.

#include <QHash>
#include <QObject>
#include <QSet>
#include <functional>

class QAction;

namespace zirvo::gui {

enum CommandId : int {
    kCmdGetPosts = 300,
    kCmdComposePost = 302,
    kCmdImportPosts = 304,
    kCmdAccountSettings = 306,
    kCmdNewFolder = 32808,
    kCmdReceiveAll = 32810,
    kCmdAddSubscription = 32833,
    kCmdBlogSettings = 32836,
    kCmdImportOpml = 32842,
    kCmdExportAll = 32844,
    kCmdExportCurrent = 32845,
    kCmdNewAccount = 32850,
    kCmdOrganizeFavourites = 32859,
    kCmdNewFavouriteFolder = 32877,
    kCmdAddFavourite = 32876,
    kCmdAddFavouriteItem = 32869,
    kCmdReaderSettings = 32882,
    kCmdCompactFeeds = 32884,
    kCmdBrowserMenuAdd = 32890,
    kCmdBrowserMenuRemove = 32892,
    kCmdSearch = 32894,
    kCmdImportFavourites = 32897,
    kCmdSupportForum = 32898,
    kCmdCompactArticles = 32900,
    kCmdHelpPage = 32901,
    kCmdShowMainWindow = 32902,
    kCmdCleaningWizard = 32903,
    kCmdCheckUpdate = 32904,
    kCmdSystemSettings = 32908,
    kCmdSupportSite = 32910,
    kCmdAbout = 57664,
    kCmdExit = 57665,
};

class CCommandTable : public QObject {
    Q_OBJECT

public:
    explicit CCommandTable(QObject* parent);

    // The action of a command id; every id of CommandId has one.
    QAction* Action(int id) const;
    QList<int> Ids() const { return m_actions.keys(); }

    // Who carries the command out. An action is enabled only once it has a handler; until then
    // it is disabled and its tooltip says why. `context` ends the connection when it goes.
    void SetHandler(int id, QObject* context, std::function<void()> handler);
    bool HasHandler(int id) const { return m_handled.contains(id); }

private:
    QHash<int, QAction*> m_actions;
    QSet<int> m_handled;
};

}  // namespace zirvo::gui
