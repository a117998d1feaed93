#pragma once
// The storage controls shared by the global storage page, the channel storage page and the
// folder batch settings: the three policies as radio buttons (types 1, 2, 3) and the item
// count drop-down with its presets.
//
// Threading: window thread.

#include <QWidget>

class QButtonGroup;
class QComboBox;

namespace zirvo::gui {

class CStorageChoice : public QWidget {
    Q_OBJECT

public:
    explicit CStorageChoice(QWidget* parent);

    // 1, 2 or 3; 0 when no radio is chosen.
    int Type() const;
    void SetType(int type);
    QString CountText() const;
    void SetCount(int count);
    QComboBox* CountBox() const { return m_count; }
    QWidget* FirstRadio() const;

private:
    QButtonGroup* m_types = nullptr;
    QComboBox* m_count = nullptr;
};

}  // namespace zirvo::gui
