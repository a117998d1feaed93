#pragma once
// "制作CHM电子书(&Z)..." of the channel tree and of the blog folders. For a channel or folder the
// channels are looked up on the window thread (ids and captions only); the dialog opens, and the
// export's worker reads the items or articles from a store of its own. The launcher owns the
// worker set of the exports and joins it when it goes (the owning window's close sequence).
//
// Threading: window thread.

#include <QList>
#include <QObject>
#include <QPointer>

#include <string>

#include "core/ebook/ebook_sources.h"
#include "core/subscriptions/channel_node.h"
#include "core/util/data_root.h"
#include "core/util/worker_set.h"

class QWidget;

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CEbookDialog;

class CEbookLauncher : public QObject {
    Q_OBJECT

public:
    // `session` (may be null: no channel books) belongs to the window thread.
    CEbookLauncher(const CDataRoot& root, CReaderSession* session, QWidget* window);
    ~CEbookLauncher() override;

    // Builds the dialog for a channel or folder (kNoNode: every channel); null, with the cause
    // shown, when the tree or the store cannot say which channels.
    CEbookDialog* MakeDialogForNode(NodeId node);
    // The dialog for feed items gathered already (the favourites, read on the window thread
    // from their indexed rows).
    CEbookDialog* MakeDialogForArticles(EbookArticles gathered);
    // The dialog for the articles of one folder of an account.
    CEbookDialog* MakeDialogForBlogFolder(const std::string& account, int folder);
    // Shows the dialog (window-modal) and lets it delete itself when closed.
    void Open(CEbookDialog* dialog);
    void OpenForNode(NodeId node);
    void OpenForBlogFolder(const std::string& account, int folder);

    CWorkerSet& Workers() { return m_workers; }

private:
    // Made by this launcher and still open: stopped before the workers are joined.
    CEbookDialog* Track(CEbookDialog* dialog);

    QList<QPointer<CEbookDialog>> m_dialogs;
    CDataRoot m_root;
    CReaderSession* m_session;
    QWidget* m_window;
    CWorkerSet m_workers;
};

}  // namespace zirvo::gui
