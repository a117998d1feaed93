#pragma once
// The folder property sheet "频道目录设置": the general page (folder title and home page,
// written by the tree editor after its checks) and the batch settings page "批量设置频道",
// whose four groups and "设置全部" apply the core's folder batch rules to every channel now
// in the folder.
//
// Threading: window thread (the batch runs on the session's long-lived store, as the tree's
// other commands do: one UpdateFeeds over the folder's channel ids).

#include <QDialog>
#include <memory>

#include "core/receive/folder_batch_settings.h"

class QPushButton;
class QTabWidget;

namespace Ui {
class FolderPropertiesDialog;
}

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CFolderPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    CFolderPropertiesDialog(CReaderSession& session, NodeId folder, QWidget* parent);
    ~CFolderPropertiesDialog() override;

    QTabWidget* Pages() const;
    QPushButton* GroupButton(BatchGroup group) const;
    QPushButton* SetAllButton() const;
    void accept() override;

signals:
    // The channels' settings changed (the tree may redraw).
    void BatchApplied();

private:
    void ShowGeneral();
    void ShowBatch();
    FolderBatchInput Input() const;
    void RunBatch(QPushButton* button, bool all, BatchGroup group);

    CReaderSession& m_session;
    NodeId m_folder;
    std::unique_ptr<Ui::FolderPropertiesDialog> m_ui;
    QPushButton* m_buttons[5] = {};  // by BatchGroup value 1..4
};

}  // namespace zirvo::gui
