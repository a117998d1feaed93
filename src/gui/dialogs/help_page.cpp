#include "gui/dialogs/help_page.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace zirvo::gui {

namespace {
// The product's online help; the address is ours to choose.
constexpr char kHelpPageUrl[] = "https://zirvo.org/help/";
}  // namespace

void OpenHelpPage(QWidget* parent) {
    const QUrl url(QString::fromLatin1(kHelpPageUrl));
    if (!QDesktopServices::openUrl(url)) {
        QMessageBox::information(
            parent, QStringLiteral("提示信息"),
            QStringLiteral("无法启动浏览器，请手动打开 %1").arg(url.toString()));
    }
}

}  // namespace zirvo::gui
