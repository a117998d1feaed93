#pragma once
// The channel property sheet "频道设置": the general page (title, RSS address, home page, the
// receive options, the channel's counts and how its last fetch went) and the storage page. OK
// checks the storage page with the core's rule, then hands everything to the tree editor, which
// checks the general fields, writes the subscription file, the node and the channel's feed_data
// row.
//
// Threading: window thread.

#include <QDialog>
#include <memory>

#include "core/subscriptions/channel_tree.h"

class QTabWidget;

namespace Ui {
class ChannelPropertiesDialog;
}

namespace zirvo {
class CReaderSession;
}

namespace zirvo::gui {

class CChannelPropertiesDialog : public QDialog {
    Q_OBJECT

public:
    CChannelPropertiesDialog(CReaderSession& session, NodeId channel, QWidget* parent);
    ~CChannelPropertiesDialog() override;

    QTabWidget* Pages() const;
    void accept() override;

private:
    void ShowGeneral(const ChannelNode& node);
    void ShowStorage(const ChannelNode& node);
    void ShowLastFetch(int feedId);

    CReaderSession& m_session;
    NodeId m_channel;
    std::unique_ptr<Ui::ChannelPropertiesDialog> m_ui;
};

}  // namespace zirvo::gui
