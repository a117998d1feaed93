// The browser menu's "添加" and "移除": the program becomes (or stops being) the desktop's
// handler of qova: links and RSS files for this data root (url_handler.h).

#include <QCoreApplication>

#include "core/integration/url_handler.h"
#include "gui/common/qt_message_reporter.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

void CMainFrame::AddBrowserMenu() {
    std::string error;
    if (!RegisterUrlHandler(UserXdgDirs(), QCoreApplication::applicationFilePath().toStdString(),
                            m_root.Dir(), error)) {
        // Saying nothing would leave the user guessing why links do not reach the program.
        m_reporter.ShowMessageBox("注册失败: " + error);
        return;
    }
    m_reporter.ShowMessageBox(kAddedMessage);
}

void CMainFrame::RemoveBrowserMenu() {
    std::string error;
    switch (UnregisterUrlHandler(UserXdgDirs(), error)) {
        case UnregisterResult::Removed:
            m_reporter.ShowMessageBox(kRemovedMessage);
            break;
        case UnregisterResult::NothingRegistered:
            break;
        case UnregisterResult::Failed:
            m_reporter.ShowMessageBox("移除失败: " + error);
            break;
    }
}

}  // namespace zirvo::gui
