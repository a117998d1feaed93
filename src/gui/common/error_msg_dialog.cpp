#include "gui/common/error_msg_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/dialogs/help_page.h"

namespace zirvo::gui {

CErrorMsgDialog::CErrorMsgDialog(const ErrorMessage& message, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("提示信息"));
    setObjectName(QStringLiteral("errorMsgDialog"));

    m_summary = new QLineEdit(QString::fromStdString(message.summary), this);
    m_summary->setReadOnly(true);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setMinimumWidth(320);
    m_number = new QLineEdit(QString::number(message.number), this);
    m_number->setReadOnly(true);
    m_number->setObjectName(QStringLiteral("number"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("错误信息(&S):"), m_summary);
    fields->addRow(QStringLiteral("错误编号(&N):"), m_number);

    auto* posBox = new QGroupBox(QStringLiteral("可能发生位置"), this);
    auto* posLayout = new QHBoxLayout(posBox);
    const QString posTexts[3] = {QStringLiteral("本地"), QStringLiteral("服务器端"),
                                 QStringLiteral("网络")};
    for (int i = 0; i < 3; ++i) {
        m_pos[i] = new QRadioButton(posTexts[i], posBox);
        // The place is information, not a choice: shown checked, never changed by the user.
        m_pos[i]->setEnabled(false);
        m_pos[i]->setChecked(message.pos == i);
        posLayout->addWidget(m_pos[i]);
    }
    posLayout->addStretch();

    m_details = new QGroupBox(QStringLiteral("传输过程中出现了问题，相关信息如下"), this);
    m_details->setObjectName(QStringLiteral("details"));
    auto* detailsLayout = new QVBoxLayout(m_details);
    m_description = new QPlainTextEdit(QString::fromStdString(message.description), m_details);
    m_description->setReadOnly(true);
    m_description->setObjectName(QStringLiteral("description"));
    detailsLayout->addWidget(m_description);

    m_detailsButton = new QPushButton(QStringLiteral("显示详情 >>"), this);
    m_detailsButton->setObjectName(QStringLiteral("detailsButton"));
    auto* helpButton = new QPushButton(QStringLiteral("转到帮助页面"), this);
    helpButton->setObjectName(QStringLiteral("helpButton"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->addButton(m_detailsButton, QDialogButtonBox::ActionRole);
    buttons->addButton(helpButton, QDialogButtonBox::HelpRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(posBox);
    layout->addWidget(m_details);
    layout->addWidget(buttons);
    // The dialog's height follows its contents, so hiding the fixed-height details area takes
    // exactly its height plus one layout gap off the window.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_details->setFixedHeight(kDetailsHeight - layout->spacing());
    m_details->hide();

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_detailsButton, &QPushButton::clicked, this, &CErrorMsgDialog::ToggleDetails);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        emit HelpPageRequested();
        OpenHelpPage(this);
    });
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
}

void CErrorMsgDialog::ToggleDetails() {
    m_detailsShown = !m_detailsShown;
    m_details->setVisible(m_detailsShown);
    m_detailsButton->setText(m_detailsShown ? QStringLiteral("隐藏详情 <<")
                                            : QStringLiteral("显示详情 >>"));
}

}  // namespace zirvo::gui
