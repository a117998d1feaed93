#include "gui/dialogs/help_page.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

#include "core/config/system_pages.h"
#include "core/util/data_root.h"

namespace zirvo::gui {

void OpenHelpPage(QWidget* parent) {
    // The program runs with the data root as its current folder.
    const std::string address =
        HelpPageAddress(QDir::currentPath().toStdString(), CDataRoot::ShippedDataDir());
    const QUrl url(QString::fromStdString(address));
    if (address.empty() || !QDesktopServices::openUrl(url)) {
        QMessageBox::information(
            parent, QStringLiteral("提示信息"),
            QStringLiteral("无法启动浏览器，请手动打开 %1").arg(url.toString()));
    }
}

}  // namespace zirvo::gui
