#pragma once
// The folder property sheet "频道目录设置": the general page (folder title and home page,
// written by the tree editor after its checks) and the batch settings page "批量设置频道",
// whose four groups and "设置全部" apply the core's folder batch rules to every channel now
// in the folder.
//
// Threading: window thread (the batch runs on the session's long-lived store, as the tree's
// other commands do: one UpdateFeeds over the folder's channel ids).

#include <QDialog>

#include "core/receive/folder_batch_settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CStorageChoice;

class CFolderPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    CFolderPropertiesDialog(CReaderSession& session, NodeId folder, QWidget* parent);

    QTabWidget* Pages() const { return m_tabs; }
    QPushButton* GroupButton(BatchGroup group) const;
    QPushButton* SetAllButton() const { return m_setAll; }
    void accept() override;

signals:
    // The channels' settings changed (the tree may redraw).
    void BatchApplied();

private:
    QWidget* BuildGeneralPage();
    QWidget* BuildBatchPage();
    FolderBatchInput Input() const;
    void RunBatch(QPushButton* button, bool all, BatchGroup group);

    CReaderSession& m_session;
    NodeId m_folder;
    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_home = nullptr;
    QComboBox* m_rank = nullptr;
    QCheckBox* m_ownStorage = nullptr;
    CStorageChoice* m_storage = nullptr;
    QCheckBox* m_noAutoUpdate = nullptr;
    QCheckBox* m_notice = nullptr;
    QPushButton* m_buttons[5] = {};  // by BatchGroup value 1..4
    QPushButton* m_setAll = nullptr;
};

}  // namespace zirvo::gui
