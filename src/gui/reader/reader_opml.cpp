// OPML exchange on the channel tree: "导入OPML频道" through the import dialog, and the exports
// "当前频道" and "所有频道" of "导出OPML" (file formats and messages: opml_exchange.h).

#include <QDir>
#include <QFileDialog>

#include "core/subscriptions/opml_exchange.h"
#include "gui/reader/channel_tree_widget.h"
#include "gui/reader/opml_import_dialog.h"
#include "gui/reader/reader_controller.h"
#include "gui/reader/reader_text.h"
#include "gui/reader/subscription_dialogs.h"

namespace zirvo::gui {

void CReaderController::CmdImportOpml() {
    // The working copy carries the counts and the open folders as the tree has them now.
    SaveState();
    COpmlImportDialog dialog(m_session, m_parentWidget);
    if (!dialog.Begin()) {
        return;
    }
    if (dialog.exec() == QDialog::Accepted) {
        ReloadFromFile();
    }
}

void CReaderController::CmdExportOpml(bool all) {
    const NodeId node = all ? kNoNode : TargetNode();
    const std::optional<ChannelNode> chosen = m_session.Tree().Node(node);
    if (!all && !chosen) {
        ShowReaderMessage(m_parentWidget, QStringLiteral("请先选择一个频道或目录."));
        return;
    }
    const QString name =
        Q(all ? std::string(kDefaultExportAllName) : DefaultExportName(chosen->caption));
    QFileDialog dialog(m_parentWidget, QStringLiteral("导出OPML"), QDir::home().filePath(name),
                       QStringLiteral("*.opml;*.xml (*.opml *.xml);;所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("exportOpmlDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("opml"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const std::string target = dialog.selectedFiles().first().toStdString();
    const std::string opml = m_session.Root().OpmlPath();
    const bool ok =
        all ? ExportOpmlAll(opml, target, m_session.Messages())
            : ExportOpmlNode(opml, m_session.Tree().PathOf(node), target, m_session.Messages());
    if (ok) {
        m_session.Messages().ShowMessageBox(kExportSucceeded);
    }
}

void CReaderController::ReloadFromFile() {
    CChannelTree& tree = m_session.Tree();
    // Handles die with the reload: what was chosen and shown is found again by its path.
    const std::string current = tree.Exists(tree.Current()) ? tree.CaptionPath(tree.Current()) : "";
    const std::string shown = tree.Exists(m_shownNode) ? tree.CaptionPath(m_shownNode) : "";
    m_session.Editor().Load();
    m_fetchFailures.clear();
    tree.SetCurrent(current.empty() ? kNoNode : tree.FindByCaptionPath(current));
    m_shownNode = shown.empty() ? kNoNode : tree.FindByCaptionPath(shown);
    ++m_listGeneration;
    RebuildTree();
    if (m_shownNode == kNoNode && !m_showingAllUnread) {
        ClearList();
    } else {
        RefillShownList();
    }
    // New channels have no counts in the file; the store has them.
    CChannelTree* model = &tree;
    RunStoreJob(
        QStringLiteral("正在统计未读文章..."),
        [model](CRssStore& store) {
            JobOutcome outcome;
            outcome.ok = LoadUnreadCountsWith(store, *model, outcome.error);
            return outcome;
        },
        [this](JobOutcome outcome) {
            if (!outcome.ok) {
                emit StatusText(QStringLiteral("无法统计未读文章: ") + Q(outcome.error));
            }
            RefreshAllCounts();
        });
}

}  // namespace zirvo::gui
