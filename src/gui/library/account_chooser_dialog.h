#pragma once
// "选择账户(双击)": the account chooser of an editor started without a task, and of "发布到博客"
// on a feed item. A double click or OK takes the selected account; OK without a selection says
// "请选择一个账户" and stays.
//
// Threading: window thread.

#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace zirvo {
class CErrorMsgDialog;
}

namespace zirvo::gui {

class CAccountChooserDialog : public QDialog {
    Q_OBJECT

public:
    CAccountChooserDialog(zirvo::CErrorMsgDialog& messages,
                          const std::vector<std::string>& accounts, QWidget* parent = nullptr);

    std::string Chosen() const { return m_chosen; }
    QListWidget* List() const { return m_list; }

    void accept() override;

private:
    zirvo::CErrorMsgDialog& m_messages;
    QListWidget* m_list = nullptr;
    std::string m_chosen;
};

}  // namespace zirvo::gui
