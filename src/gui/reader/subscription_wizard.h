#pragma once
// "新建订阅向导": the main window's way to add a channel (or a folder): a first page with the
// fields and checks of the add dialogs, a second page "选择一个目录" with the folders of the
// tree and "添加到根节点". Finishing without the box and without a folder gives "请选择一个目录!"
// and the wizard stays. The cursor starts in the address field; "下一步" with an empty name runs
// "从地址获取" first (off the window thread) and goes on once the feed named itself.
//
// Threading: window thread.

#include <QWizard>
#include <memory>

#include "core/subscriptions/channel_tree.h"

class QTreeWidget;
class QWizardPage;

namespace Ui {
class SubscriptionWizard;
}

namespace zirvo::gui {

class CChannelFields;

class CSubscriptionWizard : public QWizard {
    Q_OBJECT
public:
    // `folder` true: the wizard adds a folder instead of a channel. `preselect` is the folder
    // chosen at first (kNoNode: none).
    CSubscriptionWizard(const CChannelTree& tree, bool folder, NodeId preselect,
                        QWidget* parent = nullptr);
    ~CSubscriptionWizard() override;

    bool ForFolder() const { return m_folder; }
    CChannelFields* Fields() const { return m_fields; }
    QString FolderName() const;
    QString FolderUrl() const;
    bool ToRoot() const;
    // The folder picked on the second page (kNoNode: none, or a channel).
    NodeId ChosenFolder() const;
    QTreeWidget* FolderTree() const;

    bool validateCurrentPage() override;

protected:
    void initializePage(int id) override;

private:
    const CChannelTree& m_tree;
    bool m_folder;
    std::unique_ptr<Ui::SubscriptionWizard> m_ui;
    QWizardPage* m_firstPage = nullptr;  // the channel page or the folder page
    CChannelFields* m_fields = nullptr;  // on the channel page; null for a folder
};

}  // namespace zirvo::gui
