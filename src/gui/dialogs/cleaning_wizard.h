#pragma once
// The cleaning wizard "清理向导": page 1 takes the days to keep and whether unread items go
// too, page 2 the channels (a tree with check boxes, "全选", "全不选"); "开始清理" counts what
// would go, asks once when that is more than nothing, and runs the core's FinishCleaning, both
// as jobs of the session (a worker with a store of its own, since they walk the item table),
// while the wizard shows "清理中...".
//
// The days are exactly the text the field shows: Enter in the field neither picks a preset nor
// changes the text, and what page 1 accepted is what the cleaning uses.
//
// Threading: window thread; the jobs only touch their own store and the tree's thread-safe
// accessors, and report back as values.

#include <QWizard>
#include <memory>
#include <string>

#include "core/session/reader_session.h"

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class CleaningWizard;
}

namespace zirvo::gui {

class CCleaningWizard : public QWizard {
    Q_OBJECT

public:
    CCleaningWizard(CReaderSession& session, QWidget* parent);
    ~CCleaningWizard() override;

    QComboBox* DaysBox() const;
    QTreeWidget* ChannelList() const;
    bool Cleaned() const { return m_cleaned; }

    bool validateCurrentPage() override;
    void reject() override;

signals:
    // The cleaning ran; the tree's counts of the cleaned channels are new.
    void CountsChanged();

private:
    void FillChannels(NodeId parent, QTreeWidgetItem* item);
    void SetAllChecked(bool checked);
    void StartCleaning();
    void RunCleaning(const std::vector<NodeId>& ticked, int days, bool includeUnread);
    void SetBusy(bool busy);

    CReaderSession& m_session;
    std::unique_ptr<Ui::CleaningWizard> m_ui;
    int m_acceptedDays = -1;  // what page 1 accepted
    bool m_running = false;
    bool m_cleaned = false;
};

}  // namespace zirvo::gui
