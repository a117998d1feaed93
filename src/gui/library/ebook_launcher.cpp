#include "gui/library/ebook_launcher.h"

#include <QMessageBox>
#include <QWidget>

#include "core/articles/blog_store.h"
#include "core/ebook/ebook_sources.h"
#include "core/feeds/rss_store.h"
#include "core/session/reader_session.h"
#include "gui/library/ebook_dialog.h"

namespace zirvo::gui {

CEbookLauncher::CEbookLauncher(const CDataRoot& root, CReaderSession* session, QWidget* window)
    : QObject(window), m_root(root), m_session(session), m_window(window) {}

CEbookLauncher::~CEbookLauncher() {
    // An export that goes on (a long compile, a slow picture) would hold the join up.
    for (const QPointer<CEbookDialog>& dialog : m_dialogs) {
        if (dialog) {
            dialog->StopExport();
        }
    }
    m_workers.Close();
}

CEbookDialog* CEbookLauncher::Track(CEbookDialog* dialog) {
    m_dialogs.removeAll(QPointer<CEbookDialog>());
    if (dialog) {
        m_dialogs.append(dialog);
    }
    return dialog;
}

CEbookDialog* CEbookLauncher::MakeDialogForNode(NodeId node) {
    std::vector<EbookChannelRef> channels;
    std::string error;
    if (m_session == nullptr) {
        return nullptr;
    }
    if (!EbookChannelsOf(*m_session, node, channels, error)) {
        QMessageBox::warning(m_window, QStringLiteral("生成CHM电子书"),
                             QString::fromStdString(error));
        return nullptr;
    }
    EbookRequest request;
    request.source = EbookSource::FeedItems;
    for (const EbookChannelRef& channel : channels) {
        request.categories.push_back(channel.caption);
    }
    const CDataRoot root = m_root;
    auto prepare = [root, channels](EbookRequest& filled, std::string& cause) {
        CRssStore store(root.Dir());
        if (!store.Open()) {
            cause = store.GetLastError();
            return false;
        }
        EbookArticles gathered;
        if (!GatherChannelItems(store, channels, gathered, cause)) {
            return false;
        }
        filled.articles = std::move(gathered.articles);
        filled.categories = std::move(gathered.categories);
        return true;
    };
    return Track(
        new CEbookDialog(root, m_workers, std::move(request), std::move(prepare), m_window));
}

CEbookDialog* CEbookLauncher::MakeDialogForArticles(EbookArticles gathered) {
    EbookRequest request;
    request.source = EbookSource::FeedItems;
    request.articles = std::move(gathered.articles);
    request.categories = std::move(gathered.categories);
    return Track(new CEbookDialog(m_root, m_workers, std::move(request), {}, m_window));
}

CEbookDialog* CEbookLauncher::MakeDialogForBlogFolder(const std::string& account, int folder) {
    EbookRequest request;
    request.source = EbookSource::BlogArticles;
    const CDataRoot root = m_root;
    auto prepare = [root, account, folder](EbookRequest& filled, std::string& cause) {
        CBlogStore store(root.Dir());
        if (!store.Open()) {
            cause = store.GetLastError();
            return false;
        }
        EbookArticles gathered;
        if (!GatherBlogArticles(store, account, folder, gathered, cause)) {
            return false;
        }
        filled.articles = std::move(gathered.articles);
        filled.categories = std::move(gathered.categories);
        return true;
    };
    return Track(
        new CEbookDialog(root, m_workers, std::move(request), std::move(prepare), m_window));
}

void CEbookLauncher::Open(CEbookDialog* dialog) {
    if (dialog) {
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    }
}

void CEbookLauncher::OpenForNode(NodeId node) {
    Open(MakeDialogForNode(node));
}

void CEbookLauncher::OpenForBlogFolder(const std::string& account, int folder) {
    Open(MakeDialogForBlogFolder(account, folder));
}

}  // namespace zirvo::gui
