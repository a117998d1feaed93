#include "core/integration/window_message.h"
#include "editor/editor_context.h"
#include "gui/shell/local_channel.h"

namespace zirvo::editor {

std::function<void(int, qint64, qint64)> MainWindowPoster(const CDataRoot& root) {
    const QString dir = QString::fromStdString(root.Dir());
    return [dir](int number, qint64 wParam, qint64 lParam) {
        // Code 0 (an editor started without a task) names no node of the blog tree.
        if (number == kMsgBlogTreeUpdate && wParam == 0) {
            return;
        }
        // Nobody listening means the main program is not running: nothing to tell.
        gui::CLocalChannel::Send(dir, WindowMessage{number, wParam, lParam});
    };
}

}  // namespace zirvo::editor
