#pragma once
// The numbered message dialog "提示信息": summary, number, the place of the fault (本地 /
// 服务器端 / 网络), the description behind a details toggle, and "转到帮助页面".
//
// The description area is hidden at first; the details button grows the dialog by exactly
// kDetailsHeight pixels and shrinks it again.
//
// Threading: window thread only (CQtMessageReporter brings workers' messages here).

#include <QDialog>

#include "core/util/reporter.h"

class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace zirvo::gui {

class CErrorMsgDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDetailsHeight = 105;

    explicit CErrorMsgDialog(const ErrorMessage& message, QWidget* parent = nullptr);

    bool DetailsShown() const { return m_detailsShown; }

public slots:
    void ToggleDetails();

signals:
    void HelpPageRequested();

private:
    QLineEdit* m_summary = nullptr;
    QLineEdit* m_number = nullptr;
    QRadioButton* m_pos[3] = {};
    QGroupBox* m_details = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QPushButton* m_detailsButton = nullptr;
    bool m_detailsShown = false;
};

}  // namespace zirvo::gui
