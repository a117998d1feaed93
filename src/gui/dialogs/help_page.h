#pragma once
// Opening the product's help and support pages in the user's browser.
//
// Threading: window thread.

class QWidget;

namespace zirvo::gui {

// Opens the online help page; says so in a message box when no browser can be started.
void OpenHelpPage(QWidget* parent);

}  // namespace zirvo::gui
