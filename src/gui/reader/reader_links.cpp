// "添加到IE收藏夹": the chosen item's link kept in the user's folder of browser favourites
// (browser_favourites.h).

#include <QAction>

#include "core/integration/browser_favourites.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/subscription_dialogs.h"

namespace zirvo::gui {

void CReaderController::UpdateBrowserFavouritesAction() {
    QAction* action = Action(QStringLiteral("listAddToBrowserFavourites"));
    if (action == nullptr) {
        return;
    }
    const std::string folder = BrowserFavouritesFolder();
    action->setEnabled(!folder.empty());
    action->setToolTip(folder.empty() ? QString::fromUtf8(kNoFavouritesFolder)
                                      : QStringLiteral("加入 ") + Q(folder));
}

void CReaderController::CmdAddToBrowserFavourites() {
    const int row = m_list->currentIndex().row();
    const RssItem* item = m_model->Item(row);
    const int itemId = m_model->ItemId(row);
    std::string link;
    if (item == nullptr || itemId == 0 ||
        !m_session.Store().GetItemLink(itemId, m_fromStaging, link)) {
        return;
    }
    std::string path;
    std::string error;
    if (!WriteFavouriteLink(BrowserFavouritesFolder(), item->title, link, path, error)) {
        ShowReaderMessage(m_list, Q(error));
        return;
    }
    emit StatusText(QStringLiteral("已加入收藏夹: ") + Q(path));
}

}  // namespace zirvo::gui
