#pragma once
// The cleaning wizard "清理向导": page 1 takes the days to keep and whether unread items go
// too, page 2 the channels (a tree with check boxes, "全选", "全不选"); "开始清理" runs the
// core's FinishCleaning on a worker with a store of its own, since the deletion walks the item
// table, while the wizard shows "清理中...".
//
// Threading: window thread; the worker only touches its own store and the tree's thread-safe
// count accessors.

#include <QWizard>
#include <string>

#include "core/subscriptions/channel_tree.h"

class QCheckBox;
class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace zirvo::gui {

class CCleaningWizard : public QWizard {
    Q_OBJECT

public:
    CCleaningWizard(CChannelTree& tree, const std::string& dataRoot, QWidget* parent);

    QComboBox* DaysBox() const { return m_days; }
    QTreeWidget* ChannelList() const { return m_channels; }
    bool Cleaned() const { return m_cleaned; }

    bool validateCurrentPage() override;
    void reject() override;

signals:
    // The cleaning ran; the tree's counts of the cleaned channels are new.
    void CountsChanged();

private:
    QWizardPage* BuildDaysPage();
    QWizardPage* BuildChannelsPage();
    void FillChannels(NodeId parent, QTreeWidgetItem* item);
    void SetAllChecked(bool checked);
    void StartCleaning();

    CChannelTree& m_tree;
    std::string m_dataRoot;
    QComboBox* m_days = nullptr;
    QCheckBox* m_includeUnread = nullptr;
    QTreeWidget* m_channels = nullptr;
    bool m_running = false;
    bool m_cleaned = false;
};

}  // namespace zirvo::gui
