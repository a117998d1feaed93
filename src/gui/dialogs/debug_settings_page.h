#pragma once
// The page "高级": diagnostic mode of the blog clients (the raw body of a failed server answer
// goes to qova_debug.html in a chosen folder). Shown by the system settings and by the blog
// settings; the path texts and the write are the core's (system_pages.h).
//
// Threading: window thread.

#include <QWidget>
#include <memory>

#include "core/config/app_config.h"

namespace Ui {
class DebugSettingsPage;
}

namespace zirvo::gui {

class CDebugSettingsPage : public QWidget {
    Q_OBJECT

public:
    CDebugSettingsPage(CAppConfig& config, QWidget* parent);
    ~CDebugSettingsPage() override;

    // Writes the page's choice; false when the configuration refused it (already reported).
    bool Commit();

private:
    void ChooseFolder();

    CAppConfig& m_config;
    std::unique_ptr<Ui::DebugSettingsPage> m_ui;
};

}  // namespace zirvo::gui
