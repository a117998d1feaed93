#include "gui/dialogs/storage_choice.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zirvo::gui {

CStorageChoice::CStorageChoice(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_types = new QButtonGroup(this);
    const QString texts[3] = {QStringLiteral("只保留与网站RSS源同步的内容(&1)"),
                              QStringLiteral("保留固定条数(&2)"),
                              QStringLiteral("保留收取的所有内容(&3)")};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(texts[i], this);
        radio->setObjectName(QStringLiteral("storageType%1").arg(i + 1));
        m_types->addButton(radio, i + 1);
        layout->addWidget(radio);
    }
    m_count = new QComboBox(this);
    m_count->setObjectName(QStringLiteral("storageCount"));
    m_count->setEditable(true);
    m_count->addItems({QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("300"),
                       QStringLiteral("500"), QStringLiteral("1000")});
    m_count->setMinimumContentsLength(10);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("频道默认存储数量(&C):"), m_count);
    layout->addLayout(form);
}

int CStorageChoice::Type() const {
    return qMax(0, m_types->checkedId());
}

void CStorageChoice::SetType(int type) {
    if (QAbstractButton* button = m_types->button(type)) {
        button->setChecked(true);
    }
}

QString CStorageChoice::CountText() const {
    return m_count->currentText();
}

void CStorageChoice::SetCount(int count) {
    m_count->setEditText(QString::number(count));
}

QWidget* CStorageChoice::FirstRadio() const {
    return m_types->button(1);
}

}  // namespace zirvo::gui
