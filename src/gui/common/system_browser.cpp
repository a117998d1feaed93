#include "gui/common/system_browser.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace zirvo::gui {

bool OpenInSystemBrowser(const QUrl& url, QWidget* parent) {
    if (QDesktopServices::openUrl(url)) {
        return true;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("提示信息"),
                    QStringLiteral("无法启动浏览器打开这个地址:\n%1\n\n"
                                   "请在系统设置中选择一个默认浏览器，或者手动打开它。")
                        .arg(url.toDisplayString()),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("noBrowserMessage"));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
    return false;
}

}  // namespace zirvo::gui
