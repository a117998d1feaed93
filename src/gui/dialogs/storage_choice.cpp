#include "gui/dialogs/storage_choice.h"

#include <QButtonGroup>

#include "ui_storage_choice.h"

namespace zirvo::gui {

CStorageChoice::CStorageChoice(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::StorageChoice>()) {
    m_ui->setupUi(this);
    // The ids are the stored storage types.
    m_types = new QButtonGroup(this);
    m_types->addButton(m_ui->storageType1, 1);
    m_types->addButton(m_ui->storageType2, 2);
    m_types->addButton(m_ui->storageType3, 3);
}

CStorageChoice::~CStorageChoice() = default;

int CStorageChoice::Type() const {
    return qMax(0, m_types->checkedId());
}

void CStorageChoice::SetType(int type) {
    if (QAbstractButton* button = m_types->button(type)) {
        button->setChecked(true);
    }
}

QString CStorageChoice::CountText() const {
    return m_ui->storageCount->currentText();
}

void CStorageChoice::SetCount(int count) {
    m_ui->storageCount->setEditText(QString::number(count));
}

QComboBox* CStorageChoice::CountBox() const {
    return m_ui->storageCount;
}

QWidget* CStorageChoice::FirstRadio() const {
    return m_ui->storageType1;
}

}  // namespace zirvo::gui
