#pragma once
// Hands an address to the desktop's browser, and tells the user when none could be started
// (no handler for the scheme, no default browser configured) instead of doing nothing.
//
// Threading: window thread.

class QUrl;
class QWidget;

namespace zirvo::gui {

// False after the message has been shown.
bool OpenInSystemBrowser(const QUrl& url, QWidget* parent);

}  // namespace zirvo::gui
