// The reader views inside the main window: panes, menus, status bar, notices and dialogs.

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QStackedWidget>
#include <QToolBox>
#include <QToolButton>

#include "core/receive/receive_settings_checks.h"
#include "core/session/reader_session.h"
#include "gui/library/ebook_launcher.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/command_table.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

namespace {

void ReplaceStackPage(QStackedWidget* stack, int index, QWidget* widget) {
    QWidget* old = stack->widget(index);
    stack->insertWidget(index, widget);
    stack->removeWidget(old);
    old->deleteLater();
}

}  // namespace

void CMainFrame::AttachReader(CReaderController* reader, CReaderSession* session) {
    m_reader = reader;
    SetSession(session);

    // The panes: the channel tree in the navigation, the list over the page.
    QWidget* placeholder = m_navigation->widget(1);
    {
        QSignalBlocker block(m_navigation);
        m_navigation->removeItem(1);
        m_navigation->insertItem(1, reader->TreeWidget(), QStringLiteral("RSS订阅"));
        placeholder->deleteLater();
        ReplaceStackPage(m_listStack, kModeRss, reader->ListWidget());
        ReplaceStackPage(m_pageStack, kModeRss, reader->PageWidget());
    }

    // The reader's commands carry their shortcuts; the frame's own entries for the same
    // commands give theirs up so that no key is claimed twice.
    for (int id : {kCmdAddSubscription, kCmdNewFolder, kCmdReceiveAll, kCmdImportOpml}) {
        m_commands->Action(id)->setShortcut(QKeySequence());
    }
    m_previousPage->setShortcut(QKeySequence());
    m_nextPage->setShortcut(QKeySequence());

    QMenu* channel = new QMenu(QStringLiteral("频道(&C)"), this);
    channel->setObjectName(QStringLiteral("menuChannel"));
    const QList<QAction*> treeActions = reader->TreeActions();
    for (int i = 0; i < treeActions.size(); ++i) {
        const QString name = treeActions[i]->objectName();
        if (name == QLatin1String("treeReceive") || name == QLatin1String("treeMarkChannelRead") ||
            name == QLatin1String("treeMoveUp") || name == QLatin1String("treeImportOpml")) {
            channel->addSeparator();
        }
        channel->addAction(treeActions[i]);
    }
    channel->addSeparator();
    channel->addAction(m_commands->Action(kCmdExit));
    QMenu* view = new QMenu(QStringLiteral("查看(&V)"), this);
    view->setObjectName(QStringLiteral("menuView"));
    view->addActions(reader->ListActions());
    view->addSeparator();
    view->addActions(reader->PageActions());
    view->addSeparator();
    view->addAction(m_commands->Action(kCmdSearch));
    m_modeMenus[kModeRss][0] = channel;
    m_modeMenus[kModeRss][1] = view;
    ApplyMenusForMode();

    connect(this, &CMainFrame::ReceiveAllRequested, reader, &CReaderController::ReceiveAll);
    connect(this, &CMainFrame::AddSubscriptionRequested, reader,
            &CReaderController::OpenAddSubscription);
    connect(this, &CMainFrame::NewFolderRequested, reader, &CReaderController::OpenAddFolderWizard);
    connect(this, &CMainFrame::FilterChanged, reader, &CReaderController::SetFilter);
    connect(this, &CMainFrame::PageChosen, reader, &CReaderController::GoToPage);
    connect(this, &CMainFrame::PreviousPageRequested, reader, &CReaderController::PreviousPage);
    connect(this, &CMainFrame::NextPageRequested, reader, &CReaderController::NextPage);
    connect(this, &CMainFrame::ReceiveSettingsChanged, reader,
            &CReaderController::ApplyReceiveSettings);
    connect(reader, &CReaderController::StatusText, this, &CMainFrame::SetStatusText);
    connect(reader, &CReaderController::PagingChanged, this, &CMainFrame::SetPaging);
    connect(reader, &CReaderController::NewItemsNotice, this,
            [this](const QString& channelCaption, int count, qint64) {
                ShowNotice(QString::fromStdString(
                               FormatNewItemNotice(channelCaption.toStdString(), count)),
                           false, 3000);
            });
    connect(this, &CMainFrame::TreeChanged, reader, &CReaderController::ReloadTree);
    connect(this, &CMainFrame::ReaderMessage, reader, &CReaderController::OnWindowMessage);
    connect(this, &CMainFrame::ShutdownReaderRequested, reader, &CReaderController::Shutdown);
    auto* ebook = new CEbookLauncher(session->Root(), session, this);
    connect(reader, &CReaderController::EbookRequested, ebook, &CEbookLauncher::OpenForNode);
    reader->SetFilter(m_filter->currentData().toInt());
    // Replacing the panes moved the navigation and the stacks off the current mode.
    SetWorkMode(m_workMode);
}

}  // namespace zirvo::gui
