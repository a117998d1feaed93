#pragma once
// The page "高级": diagnostic mode of the blog clients (the raw body of a failed server answer
// goes to qova_debug.html in a chosen folder). Shown by the system settings and by the blog
// settings; the path texts and the write are the core's (system_pages.h).
//
// Threading: window thread.

#include <QWidget>

#include "core/config/app_config.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zirvo::gui {

class CDebugSettingsPage : public QWidget {
    Q_OBJECT

public:
    CDebugSettingsPage(CAppConfig& config, QWidget* parent);

    // Writes the page's choice; false when the configuration refused it (already reported).
    bool Commit();

private:
    void ChooseFolder();

    CAppConfig& m_config;
    QCheckBox* m_use = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_change = nullptr;
};

}  // namespace zirvo::gui
