// The search panel's searches: the local scopes and the news service run as jobs of the session
// (a query over the whole item table, a request to a remote service), and their results replace
// the list as one page under the search's heading.

#include <QAction>

#include "core/feeds/feed_fetcher.h"
#include "core/search/news_search.h"
#include "core/search/rss_search.h"
#include "core/util/reporter.h"
#include "gui/reader/article_table_view.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/search_window.h"
#include "gui/reader/subscription_dialogs.h"
#include "gui/shell/command_table.h"

namespace zirvo::gui {

void CReaderController::CreateSearch() {
    // Made hidden with the reader; "搜索" shows it.
    m_searchWindow = new CSearchWindow(m_parentWidget);
    m_searchWindow->hide();
    connect(m_searchWindow, &CSearchWindow::SearchRequested, this, &CReaderController::Search);
    m_commands.SetHandler(kCmdSearch, this, [this] { OpenSearch(); });
}

void CReaderController::OpenSearch() {
    m_searchWindow->Present();
}

void CReaderController::Search(int scope, const QString& keyword, bool fullText,
                               const QString& count) {
    if (m_closing || m_searchWindow->Searching()) {
        return;
    }
    const std::string word = keyword.toStdString();
    StoreWork work;
    bool fromStaging = false;
    if (scope == kSearchNewsService) {
        std::string address;
        if (!ReadNewsSearchAddress(m_session.AppConfig(), address)) {
            return;  // the configuration has said why
        }
        const std::string url = BuildNewsSearchUrl(address, word, !fullText, count.toStdString());
        if (url.empty()) {
            emit StatusText(QStringLiteral("新闻搜索的地址不是网络地址: ") + Q(address));
            ShowReaderMessage(m_searchWindow, QString::fromUtf8(kNoSearchResults));
            return;
        }
        fromStaging = true;
        const std::string catalogue = m_session.Root().ErrorMsgPath();
        work = [url, word, catalogue](CRssStore& store) {
            JobOutcome outcome;
            CFeedFetcher fetcher;
            std::vector<RssItem> items;
            if (!fetcher.FetchFeed(url, items)) {
                outcome.error = fetcher.LastResult().error;
                return outcome;
            }
            // The staging keeps the results readable by id (page, properties, favourites). The
            // panel says "no results" itself, on the window thread.
            CRecordingReporter quiet;
            CErrorMsgDialog messages(catalogue, quiet);
            SearchResult result;
            if (!StageNewsResults(store, std::move(items), word, result, messages)) {
                outcome.error = store.GetLastError();
                return outcome;
            }
            outcome.ok = true;
            outcome.page.items = std::move(result.items);
            return outcome;
        };
    } else {
        LocalSearchRequest request;
        if (!PrepareLocalSearch(m_session.Tree(), scope, word, fullText, request)) {
            return;  // no current channel: nothing to search in
        }
        work = [request = std::move(request)](CRssStore& store) {
            JobOutcome outcome;
            SearchResult result;
            outcome.ok = RunLocalSearch(store, request, result, outcome.error);
            // The heading keeps the true count; the list takes the newest rows as a folder list
            // does (100,000 rows would hold the window up while they are laid out).
            if (result.items.size() > static_cast<size_t>(kFeedsItemsLimit)) {
                result.items.resize(kFeedsItemsLimit);
                outcome.page.truncated = true;
            }
            outcome.page.items = std::move(result.items);
            return outcome;
        };
    }
    const QString busy = QStringLiteral("正在搜索 \"%1\"...").arg(keyword);
    const bool started = RunStoreJob(busy, std::move(work), [this, fromStaging](JobOutcome done) {
        m_searchWindow->SetSearching(false);
        if (!done.ok) {
            if (!done.error.empty()) {
                emit StatusText(QStringLiteral("搜索失败: ") + Q(done.error));
            }
            ShowReaderMessage(m_searchWindow, QString::fromUtf8(kNoSearchResults));
            emit SearchFinished(0);
            return;
        }
        ShowSearchResults(std::move(done.page), fromStaging);
    });
    if (started) {
        m_searchWindow->SetSearching(true, busy);
    }
}

void CReaderController::ShowSearchResults(ItemPage found, bool fromStaging) {
    // Leaving a list the user chose marks it read when the settings say so, as any new list.
    if (m_session.Settings().switchChannelAutoMakeRead != 0 && m_ownerTag != 0 &&
        m_shownNode != kNoNode && m_session.Tree().Exists(m_shownNode)) {
        MarkNodeReadInBackground(m_shownNode, m_shownMaxItemId);
    }
    const int count = static_cast<int>(found.items.size());
    const bool truncated = found.truncated;
    const QString heading = found.items.empty() ? QString() : Q(found.items.front().group);
    ItemPage page;
    page.items = std::move(found.items);
    page.total = count;
    page.pageSize = count + 1;
    page.folder = true;  // one group under the heading
    m_shownNode = kNoNode;
    m_showingAllUnread = false;
    // Owner tag 0: a click on a result does not mark it read.
    FillList(std::move(page), 0);
    m_fromStaging = fromStaging;
    m_list->SetEmptyText(QString());
    emit StatusText(truncated ? heading + QStringLiteral(" (只列出最新的 %1 项)").arg(count)
                              : heading);
    emit SearchFinished(count);
}

}  // namespace zirvo::gui
