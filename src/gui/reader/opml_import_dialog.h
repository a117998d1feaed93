#pragma once
// "导入频道列表": brings channels from an OPML file or an OPML address into the subscription
// tree. The left tree is the source list, the right tree the current list (a working copy of
// Storage/rssreader.opml, Temp/temp.opml); the rules, the files and the messages are the core's
// COpmlImport. "导入 ->" moves the source's selected node with its subtree to the end of the
// current list's selected node (the top level with "到根目录" ticked or nothing selected),
// "全部导入>" every top-level node, a drag from left to right the dragged node onto the item it is
// dropped on. "保存" rebuilds the subscription file and closes; "取消" leaves it byte for byte as
// it was. Either way the working copy goes.
//
// A file is read and an address fetched (through the project's HTTP client with its caps, the
// process-wide proxy) on a job of the reader session, never on the window thread; the dialog
// stays usable and "取消" stops a fetch. A failed read says so ("无法识别的OPML文件格式",
// "无效的链接!", each with the cause) and the source buttons stay enabled for another try; after
// a successful read they are disabled (one source per import).
//
// Threading: window thread. The jobs hand values back to it.

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>

#include "core/subscriptions/channel_node.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class COpmlImportDialog;
}

namespace zirvo {
class CChannelTree;
class COpmlImport;
class CReaderSession;
struct OpmlSourceRead;
}  // namespace zirvo

namespace zirvo::gui {

class COpmlImportDialog : public QDialog {
    Q_OBJECT

public:
    COpmlImportDialog(CReaderSession& session, QWidget* parent = nullptr);
    ~COpmlImportDialog() override;

    // Makes the working copy and shows it on the right. False (the message was shown) when
    // the subscription file cannot be read or copied: the dialog must not be shown then.
    bool Begin();

    // What "选择本地文件" and "互联网上的地址" do once the file or address is chosen.
    void LoadFile(const QString& path);
    void LoadAddress(const QString& url);
    bool Loading() const { return m_loading; }

    // "导入 ->", "全部导入>", a drop of a source node on an item of the right (null: the top
    // level), "新建目录" under the right tree's selection.
    void ImportSelected();
    void ImportAll();
    void ImportDropped(int sourceNode, QTreeWidgetItem* target);
    void NewFolder();

    QTreeWidget* SourceTree() const;
    QTreeWidget* CurrentTree() const;

    void accept() override;
    void reject() override;

signals:
    // A read ended (the source list shows it, or a message was shown).
    void SourceLoaded(bool ok);

private:
    void StartRead(std::function<OpmlSourceRead(const std::atomic<bool>&)> read);
    void TakeRead(OpmlSourceRead read);
    void ChooseFile();
    void AskAddress();
    void ShowSourceTree();
    void ShowCurrentTree();
    // Items for the node and its subtree; `expand`: opened as the node says.
    QTreeWidgetItem* AddItems(const CChannelTree& tree, NodeId id, QTreeWidgetItem* parent,
                              QTreeWidget* view, bool expand = false);
    QTreeWidgetItem* FindItem(QTreeWidget* view, NodeId id) const;
    void PlaceImported(NodeId added, QTreeWidgetItem* targetItem);
    void UpdateButtons();
    void ShowCurrentMenu(const QPoint& pos);

    CReaderSession& m_session;
    std::unique_ptr<Ui::COpmlImportDialog> m_ui;
    std::unique_ptr<COpmlImport> m_import;
    std::shared_ptr<std::atomic<bool>> m_abort;
    bool m_loading = false;
    bool m_sourceRead = false;
    bool m_saveAllowed = false;
};

}  // namespace zirvo::gui
