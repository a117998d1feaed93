// The RSS favourites inside the main window: the "收藏" pane and the favourites list.

#include <QStackedWidget>
#include <QToolBox>

#include "gui/reader/favourites_controller.h"
#include "gui/reader/reader_controller.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

void CMainFrame::AttachFavourites(CFavouritesController* favourites) {
    m_favourites = favourites;
    // Navigation page 0 is "收藏"; list stack index = work mode.
    QWidget* placeholder = m_navigation->widget(0);
    {
        QSignalBlocker block(m_navigation);
        m_navigation->removeItem(0);
        m_navigation->insertItem(0, favourites->TreeWidget(), QStringLiteral("收藏"));
        placeholder->deleteLater();
        QWidget* old = m_listStack->widget(kModeFavourites);
        m_listStack->insertWidget(kModeFavourites, favourites->ListWidget());
        m_listStack->removeWidget(old);
        old->deleteLater();
    }
    if (m_reader != nullptr) {
        m_reader->SetKeepHandler([favourites](int itemId, bool fromStaging) {
            favourites->KeepItem(itemId, fromStaging);
        });
    }
    connect(favourites, &CFavouritesController::StatusText, this, [this](const QString& text) {
        if (m_workMode == kModeFavourites) {
            SetStatusText(text);
        }
    });
    connect(this, &CMainFrame::ShutdownReaderRequested, favourites,
            &CFavouritesController::SaveState);
    SetWorkMode(m_workMode);
}

}  // namespace zirvo::gui
