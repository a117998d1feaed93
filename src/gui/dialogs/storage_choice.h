#pragma once
// The storage controls shared by the global storage page, the channel storage page and the
// folder batch settings: the three policies as radio buttons (types 1, 2, 3) and the item
// count drop-down with its presets.
//
// Threading: window thread.

#include <QWidget>
#include <memory>

class QButtonGroup;
class QComboBox;

namespace Ui {
class StorageChoice;
}

namespace zirvo::gui {

class CStorageChoice : public QWidget {
    Q_OBJECT

public:
    explicit CStorageChoice(QWidget* parent);
    ~CStorageChoice() override;

    // 1, 2 or 3; 0 when no radio is chosen.
    int Type() const;
    void SetType(int type);
    QString CountText() const;
    void SetCount(int count);
    QComboBox* CountBox() const;
    QWidget* FirstRadio() const;

private:
    std::unique_ptr<Ui::StorageChoice> m_ui;
    QButtonGroup* m_types = nullptr;
};

}  // namespace zirvo::gui
