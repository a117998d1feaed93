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

    // The reader's menus; its commands are the table's actions or its own, one each.
    const QList<QMenu*> menus = reader->MainMenus();
    delete m_modeMenus[kModeRss][0];
    delete m_modeMenus[kModeRss][1];
    m_modeMenus[kModeRss][0] = menus[0];
    m_modeMenus[kModeRss][1] = menus[1];
    ApplyMenusForMode();
    m_commands->SetHandler(kCmdCleaningWizard, this, [this] { RunCommand(kCmdCleaningWizard); });
    // The paging buttons are the reader's paging commands.
    m_previousPage->setDefaultAction(reader->Action(QStringLiteral("listPreviousPage")));
    m_nextPage->setDefaultAction(reader->Action(QStringLiteral("listNextPage")));
    // One filter state: the drop-down shows what the menu or a key chose, and the other way.
    connect(reader, &CReaderController::FilterShown, this, [this](int filter) {
        const int index = m_filter->findData(filter);
        if (index >= 0 && index != m_filter->currentIndex()) {
            const QSignalBlocker block(m_filter);
            m_filter->setCurrentIndex(index);
        }
    });

    connect(this, &CMainFrame::ReceiveAllRequested, reader, &CReaderController::ReceiveAll);
    connect(this, &CMainFrame::AddSubscriptionRequested, reader,
            &CReaderController::OpenAddSubscription);
    connect(this, &CMainFrame::NewFolderRequested, reader, &CReaderController::OpenAddFolderWizard);
    connect(this, &CMainFrame::FilterChanged, reader, &CReaderController::SetFilter);
    connect(this, &CMainFrame::PageChosen, reader, &CReaderController::GoToPage);
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
