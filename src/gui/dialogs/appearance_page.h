#pragma once
// The reader options' appearance page ("外观"): the article list's colours and title fonts, and
// the window's minimise-to-tray and start-up update check. The values go through the core's
// appearance rules (core/config/appearance_page.h).
//
// Threading: window thread.

#include <QColor>
#include <QWidget>
#include <memory>

#include "core/config/appearance_page.h"

class QPushButton;

namespace Ui {
class AppearancePage;
}

namespace zirvo::gui {

class CAppearancePage : public QWidget {
    Q_OBJECT

public:
    // Reads the file's values; a read failure (message shown) leaves the defaults of the list.
    CAppearancePage(CAppConfig& config, QWidget* parent);
    ~CAppearancePage() override;

    // On OK: checks and writes. False when the check refused (the message has been shown and
    // the field has the focus) or the write failed.
    bool Commit();

    AppearancePageInput Values() const;
    void SetValues(const AppearancePageInput& values);

private:
    void ChooseColour(QPushButton* button);
    void ShowColour(QPushButton* button, const QColor& colour);
    void UpdatePreview();

    CAppConfig& m_config;
    std::unique_ptr<Ui::AppearancePage> m_ui;
};

// Windows RGB values (red in the low byte) of config/appConfig.xml.
QColor ColourOfColorRef(int value);
int ColorRefOf(const QColor& colour);

}  // namespace zirvo::gui
