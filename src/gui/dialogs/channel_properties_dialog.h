#pragma once
// The channel property sheet "频道设置": the general page (title, RSS address, home page, the
// receive options, the channel's counts and how its last fetch went) and the storage page. OK
// checks the storage page with the core's rule, then hands everything to the tree editor, which
// checks the general fields, writes the subscription file, the node and the channel's feed_data
// row.
//
// Threading: window thread.

#include <QDialog>

#include "core/subscriptions/channel_tree.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CStorageChoice;

class CChannelPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    CChannelPropertiesDialog(CReaderSession& session, NodeId channel, QWidget* parent);

    QTabWidget* Pages() const { return m_tabs; }
    void accept() override;

private:
    QWidget* BuildGeneralPage(const ChannelNode& node);
    QWidget* BuildStoragePage(const ChannelNode& node);
    void ShowLastFetch(int feedId);

    CReaderSession& m_session;
    NodeId m_channel;
    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_home = nullptr;
    QComboBox* m_rank = nullptr;
    QCheckBox* m_noAutoUpdate = nullptr;
    QCheckBox* m_notice = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_unread = nullptr;
    QLabel* m_lastFetchTime = nullptr;
    QLabel* m_lastFetchMessage = nullptr;
    QWidget* m_storagePage = nullptr;
    QCheckBox* m_ownStorage = nullptr;
    CStorageChoice* m_storage = nullptr;
};

}  // namespace zirvo::gui
