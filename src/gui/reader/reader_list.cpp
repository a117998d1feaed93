// The article list: pages, filter, read marks, and the list's commands.

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "core/views/article_document.h"
#include "gui/common/system_browser.h"
#include "gui/reader/article_list_model.h"
#include "gui/reader/article_page.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/item_properties_dialog.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_fonts.h"
#include "gui/reader/reader_text.h"

namespace zirvo::gui {

namespace {

// Windows RGB values of config/appConfig.xml (red in the low byte).
QColor FromColorRef(int value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

}  // namespace

void CReaderController::LoadViewSettings() {
    AppearanceSettings appearance;
    ArticleListStyle style;
    style.smallFont = ListFont(false);
    style.bigFont = ListFont(true);
    if (m_session.AppConfig().ReadAppearanceSettings(appearance) == 1) {
        style.unreadTitle = FromColorRef(appearance.titleUnreadColor);
        style.readTitle = FromColorRef(appearance.titleReadColor);
        style.dateAndAuthor = FromColorRef(appearance.dateAndAuthorColor);
        style.bigTitleFont = appearance.useBigTitleFont != 0;
        style.boldTitleFont = appearance.useBoldTitleFont != 0;
    }
    m_model->SetStyle(style);
    m_list->FitDateColumn(style.smallFont);
}

void CReaderController::ShowNode(NodeId node, int page, bool selected) {
    const ChannelTreeSettings settings = m_session.Settings();
    // Leaving a list the user chose marks it read when the settings say so.
    // Only what the list held when it was last filled: items received since stay unread.
    if (selected && settings.switchChannelAutoMakeRead != 0 && m_ownerTag != 0 &&
        m_shownNode != kNoNode && m_shownNode != node && m_session.Tree().Exists(m_shownNode)) {
        const CChannelTree& tree = m_session.Tree();
        if (tree.IsInSubtree(node, m_shownNode) || tree.IsInSubtree(m_shownNode, node)) {
            // The new list shares items with the old one: they are marked before it is read,
            // as the user expects (a channel chosen inside the folder just read is empty).
            if (m_session.MarkNodeRead(m_shownNode, true, m_shownMaxItemId)) {
                RefreshAllCounts();
            }
        } else {
            MarkNodeReadInBackground(m_shownNode, m_shownMaxItemId);
        }
    }
    ItemPage result;
    if (!m_session.ListPage(node, m_filter, page, m_page->QuickReading(), result, m_order)) {
        // The list keeps its rows; the user learns why nothing changed.
        emit StatusText(QStringLiteral("无法读取文章列表: ") + Q(m_session.Error()));
        return;
    }
    const std::optional<ChannelNode> shown = m_session.Tree().Node(node);
    m_session.Tree().SetCurrent(node);
    const bool refresh =
        !selected && node == m_shownNode && !m_showingAllUnread && result.page == m_page_;
    m_shownNode = node;
    m_showingAllUnread = false;
    FillList(std::move(result),
             shown && shown->IsChannel() ? [&] {
                 int feedId = 0;
                 m_session.FeedIdOf(node, feedId);
                 return feedId == 0 ? -1 : feedId;
             }()
                                         : kFolderListTag,
             refresh);
}

void CReaderController::FillList(ItemPage page, int ownerTag, bool refresh) {
    ++m_listGeneration;
    m_refillTimer->stop();
    m_fromStaging = false;
    m_shownMaxItemId = page.maxItemId;
    m_ownerTag = ownerTag;
    m_page_ = page.page;
    m_pageCount = page.pageCount;
    if (page.folder) {
        for (RssItem& item : page.items) {
            auto found = page.channels.find(item.channelId);
            const std::optional<ChannelNode> channel =
                found == page.channels.end() ? std::nullopt : m_session.Tree().Node(found->second);
            // A row that comes with its group (a search's heading) keeps it.
            if (item.group.empty()) {
                item.group = channel ? channel->caption : std::string("?");
            }
        }
    }
    m_pageItems = page.items;
    m_model->SetCountsInHeaders(ownerTag != 0);
    static const char* const kEmpty[] = {"没有文章", "没有已读文章", "没有未读文章", "没有新文章"};
    m_list->SetEmptyText(QString::fromUtf8(ownerTag == 0 ? "没有未读文章" : kEmpty[m_filter]));
    if (refresh) {
        // The view keeps its place: inserted rows push the current one down with its item.
        const int current = CurrentItemId();
        const int scroll = m_list->verticalScrollBar()->value();
        m_model->RefreshItems(std::move(page.items), page.folder);
        const int row = current != 0 ? m_model->RowOfItem(current) : -1;
        if (row >= 0 && m_model->ItemId(m_list->currentIndex().row()) != current) {
            // A grouped list was replaced: put the current row and the scroll back.
            const QSignalBlocker blocker(m_list->selectionModel());
            m_list->setCurrentIndex(m_model->index(row, kColTitle));
            m_list->verticalScrollBar()->setValue(scroll);
        }
        emit PagingChanged(m_page_, m_pageCount);
        if (m_page->QuickReading() && !m_pageItems.empty()) {
            const RssItem* shown = m_model->Item(m_list->currentIndex().row());
            m_page->ShowList(m_pageItems, shown ? shown->link : m_pageItems.front().link);
        }
        return;
    }
    m_model->SetItems(std::move(page.items), page.folder);
    emit PagingChanged(m_page_, m_pageCount);
    UpdatePagingActions();
    if (m_page->QuickReading() && !m_pageItems.empty()) {
        m_page->ShowList(m_pageItems, m_pageItems.front().link);
    } else {
        m_page->ShowBlank();
    }
    if (page.truncated) {
        emit StatusText(QStringLiteral("只显示最新的 %1 篇文章").arg(kFeedsItemsLimit));
    }
}

void CReaderController::ClearList() {
    m_model->Clear();
    m_list->SetEmptyText(QString());
    m_pageItems.clear();
    m_page_ = 0;
    m_pageCount = 1;
    emit PagingChanged(0, 1);
    UpdatePagingActions();
    m_page->ShowBlank();
}

void CReaderController::ShowAllUnread() {
    ShowAllUnreadPage(false);
}

void CReaderController::PreviousPage() {
    GoToPage(m_page_ - 1);
}

void CReaderController::NextPage() {
    GoToPage(m_page_ + 1);
}

void CReaderController::GoToPage(int page) {
    if (m_shownNode == kNoNode || page < 0 || page >= m_pageCount || page == m_page_) {
        return;
    }
    ShowNode(m_shownNode, page, false);
}

void CReaderController::SetFilter(int filter) {
    if (filter < kAllItems || filter > kNewItems) {
        filter = kNewItems;
    }
    m_filter = filter;
    for (QAction* action : m_filterGroup->actions()) {
        action->setChecked(action->objectName() == QStringLiteral("listFilter%1").arg(filter));
    }
    emit FilterShown(filter);
    if (m_shownNode != kNoNode) {
        ShowNode(m_shownNode, 0, false);
    }
}

void CReaderController::OnSortRequested(int column, Qt::SortOrder order) {
    static const int kKeyOfColumn[] = {kSortNew,   kSortRead, kSortAttachment,
                                       kSortTitle, kSortDate, kSortAuthor};
    if (column < 0 || column >= static_cast<int>(std::size(kKeyOfColumn))) {
        return;
    }
    m_order = ItemOrder{kKeyOfColumn[column], order == Qt::DescendingOrder};
    if (m_showingAllUnread) {
        ShowAllUnreadPage(true);
    } else if (m_shownNode != kNoNode) {
        // The first page of the new order; the current item stays current when it is on it.
        ShowNode(m_shownNode, 0, false);
    }
}

void CReaderController::ShowRowItem(int row) {
    const RssItem* listed = m_model->Item(row);
    if (listed == nullptr) {
        return;
    }
    if (m_page->QuickReading() && !m_page->DirectBrowsing()) {
        m_page->ShowList(m_pageItems, listed->link);
        return;
    }
    RssItem item;
    if (!m_session.Store().GetItem(listed->id, m_fromStaging, item)) {
        emit StatusText(QStringLiteral("无法读取文章: ") + Q(m_session.Store().GetLastError()));
        return;
    }
    m_page->ShowItem(item);
}

void CReaderController::OnCurrentRowChanged(int row) {
    ShowRowItem(row);
}

void CReaderController::OnRowPressed(int row, int column) {
    const RssItem* item = m_model->Item(row);
    if (item == nullptr) {
        return;
    }
    const int itemId = item->id;
    if (column == kColReadState) {
        // News results are no items of a channel: they have no read state to keep.
        if (!m_fromStaging) {
            MarkItem(itemId, item->read == 0);
        }
        return;
    }
    if (item->read == 0 && m_ownerTag != 0) {
        MarkItem(itemId, true);
    }
    m_list->setFocus();
    ShowRowItem(m_model->RowOfItem(itemId));
}

void CReaderController::MarkItem(int itemId, bool read) {
    NodeId channel = kNoNode;
    int unread = 0;
    if (!m_session.MarkItemRead(itemId, read, channel, unread)) {
        emit StatusText(QStringLiteral("无法标记文章: ") + Q(m_session.Error()));
        return;
    }
    m_model->SetRead(itemId, read);
    RefreshAllCounts();
}

int CReaderController::CurrentItemId() const {
    const QModelIndex index = m_list->currentIndex();
    return index.isValid() ? m_model->ItemId(index.row()) : 0;
}

void CReaderController::OpenRowLink(int row) {
    const int itemId = m_model->ItemId(row);
    std::string link;
    if (itemId == 0 || !m_session.Store().GetItemLink(itemId, m_fromStaging, link)) {
        return;
    }
    const QUrl url(Q(link));
    if (RouteLink(url, true) == LinkRoute::System) {
        OpenInSystemBrowser(url, m_list);
    } else {
        emit StatusText(QStringLiteral("这篇文章的链接不是网页地址: ") + Q(link));
    }
}

void CReaderController::OnListMenu(int row, const QPoint& globalPos) {
    if (row < 0) {
        if (m_model->Grouped()) {
            m_groupMenu->exec(globalPos);
        }
        return;
    }
    UpdateBrowserFavouritesAction();
    m_itemMenu->exec(globalPos);
}

void CReaderController::CmdOpenItemInBrowser() {
    if (m_list->currentIndex().isValid()) {
        OpenRowLink(m_list->currentIndex().row());
    }
}

void CReaderController::CmdPublishToBlog() {
    // The editor reads the item by its id from the item table: a news result's id names a
    // row of the staging table, which would publish another item.
    if (m_fromStaging) {
        emit StatusText(QStringLiteral("新闻搜索的结果不能发布到博客"));
        return;
    }
    if (const int itemId = CurrentItemId(); itemId != 0) {
        emit PublishToBlogRequested(itemId);
    }
}

void CReaderController::CmdItemProperties() {
    const int id = CurrentItemId();
    RssItem item;
    if (id == 0 || !m_session.Store().GetItem(id, m_fromStaging, item)) {
        return;
    }
    CItemPropertiesDialog dialog(item, m_list);
    dialog.exec();
}

int CReaderController::FindUnreadRow(int from) const {
    for (int row = qMax(0, from); row < m_model->rowCount(); ++row) {
        const RssItem* item = m_model->Item(row);
        if (item != nullptr && item->read == 0) {
            return row;
        }
    }
    return -1;
}

void CReaderController::ShowAndMarkRow(int row) {
    const int itemId = m_model->ItemId(row);
    if (itemId == 0) {
        return;
    }
    {
        // One display for the move, after the read mark (the row keeps its place).
        const QSignalBlocker blocker(m_list->selectionModel());
        m_list->setCurrentIndex(m_model->index(row, kColTitle));
    }
    m_list->scrollTo(m_model->index(row, kColTitle));
    if (m_ownerTag != 0) {
        MarkItem(itemId, true);
    }
    ShowRowItem(m_model->RowOfItem(itemId));
}

void CReaderController::NextUnread() {
    const QModelIndex current = m_list->currentIndex();
    int row = FindUnreadRow(current.isValid() ? current.row() + 1 : 0);
    if (row >= 0) {
        ShowAndMarkRow(row);
        return;
    }
    // Later pages of the channel shown.
    while (m_shownNode != kNoNode && m_page_ + 1 < m_pageCount) {
        const int before = m_page_;
        ShowNode(m_shownNode, m_page_ + 1, false);
        if (m_page_ == before) {
            break;  // the store refused; the status says why
        }
        if ((row = FindUnreadRow(0)) >= 0) {
            ShowAndMarkRow(row);
            return;
        }
    }
    // The next channel with unread items, in tree order after the one shown, wrapping.
    const std::vector<NodeId> walk = m_session.Tree().Walk();
    const auto shownAt = std::find(walk.begin(), walk.end(), m_shownNode);
    const size_t start = shownAt == walk.end() ? 0 : size_t(shownAt - walk.begin()) + 1;
    for (size_t i = 0; i < walk.size(); ++i) {
        const NodeId id = walk[(start + i) % walk.size()];
        const std::optional<ChannelNode> node = m_session.Tree().Node(id);
        if (!node || !node->IsChannel() || m_session.Tree().Unread(id) <= 0 || id == m_shownNode) {
            continue;
        }
        if (m_filter == kReadItems) {
            SetFilter(kUnreadItems);  // read-only lists never hold what is asked for
        }
        SelectNode(id);
        if (m_shownNode == id && (row = FindUnreadRow(0)) >= 0) {
            ShowAndMarkRow(row);
            return;
        }
    }
    emit StatusText(QStringLiteral("没有未读文章了"));
}

void CReaderController::PageOrNextUnread() {
    if (m_page->AtEnd()) {
        NextUnread();
    } else {
        m_page->PageDown();
    }
}

void CReaderController::CmdToggleRead() {
    const RssItem* item = m_model->Item(m_list->currentIndex().row());
    if (item != nullptr && !m_fromStaging) {
        MarkItem(item->id, item->read == 0);
    }
}

void CReaderController::CmdCollapseGroups() {
    m_list->SetAllGroupsCollapsed(true);
}

void CReaderController::CmdExpandGroups() {
    m_list->SetAllGroupsCollapsed(false);
}

}  // namespace zirvo::gui
