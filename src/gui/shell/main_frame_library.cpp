// The blog library inside the main window: its panes, commands and messages.

#include <QAction>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolBox>
#include <QToolButton>

#include "gui/library/library_controller.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/command_table.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

void CMainFrame::AttachLibrary(CLibraryController* library) {
    m_library = library;
    // Navigation page 2 is "博客"; stack index = work mode.
    QWidget* placeholder = m_navigation->widget(2);
    {
        QSignalBlocker block(m_navigation);
        m_navigation->removeItem(2);
        m_navigation->insertItem(2, library->TreeWidget(), QStringLiteral("博客"));
        placeholder->deleteLater();
        for (QStackedWidget* stack : {m_listStack, m_pageStack}) {
            QWidget* widget = stack == m_listStack ? library->ListWidget() : library->PageWidget();
            QWidget* old = stack->widget(kModeBlog);
            stack->insertWidget(kModeBlog, widget);
            stack->removeWidget(old);
            old->deleteLater();
        }
    }
    library->BindCommands(LibraryCommands{
        m_commands->Action(kCmdGetPosts), m_commands->Action(kCmdComposePost),
        m_commands->Action(kCmdImportPosts), m_commands->Action(kCmdAccountSettings),
        m_commands->Action(kCmdNewAccount)});
    m_commands->SetHandler(kCmdBlogSettings, library, [library] { library->OpenBlogSettings(); });
    // "获取日志" opens its count choices from the arrow and fetches from the button itself.
    if (auto* button = qobject_cast<QToolButton*>(
            m_modeToolBars[kModeBlog]->widgetForAction(m_commands->Action(kCmdGetPosts)))) {
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    connect(this, &CMainFrame::BlogTreeUpdate, library, &CLibraryController::OnBlogTreeUpdate);
    if (m_reader != nullptr) {
        connect(m_reader, &CReaderController::PublishToBlogRequested, library,
                [library](int itemId) { library->PublishFeedItem(itemId); });
    }
    connect(this, &CMainFrame::ArticleStyleChanged, library,
            &CLibraryController::OnArticleStyleChanged);
    connect(this, &CMainFrame::ShutdownReaderRequested, library, &CLibraryController::Shutdown);
    connect(library, &CLibraryController::StatusText, this, [this](const QString& text) {
        if (m_workMode == kModeBlog) {
            SetStatusText(text);
        }
    });
    SetWorkMode(m_workMode);
}

}  // namespace zirvo::gui
