#pragma once
// "制作CHM电子书(&Z)..." of the channel tree: the channels of the chosen node are looked up on
// the window thread (ids and captions only), the dialog opens, and the export's worker reads the
// items from a store of its own. The launcher owns the worker set of the exports and joins it
// when it goes (the frame's close sequence).
//
// Threading: window thread.

#include <QObject>

#include "core/subscriptions/channel_node.h"
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
    CEbookLauncher(CReaderSession& session, QWidget* window);
    ~CEbookLauncher() override;

    // Builds the dialog for a channel or folder (kNoNode: every channel); null, with the cause
    // shown, when the tree or the store cannot say which channels.
    CEbookDialog* MakeDialogForNode(NodeId node);
    // MakeDialogForNode and runs it modally.
    void OpenForNode(NodeId node);

    CWorkerSet& Workers() { return m_workers; }

private:
    CReaderSession& m_session;
    QWidget* m_window;
    CWorkerSet m_workers;
};

}  // namespace zirvo::gui
