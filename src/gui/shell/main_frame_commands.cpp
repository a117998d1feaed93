// The commands the main window carries out itself.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

#include "core/articles/blog_store.h"
#include "core/session/reader_session.h"
#include "core/util/closing_flag.h"
#include "gui/dialogs/cleaning_wizard.h"
#include "gui/dialogs/help_page.h"
#include "gui/dialogs/reader_options_dialog.h"
#include "gui/dialogs/system_options_dialog.h"
#include "gui/shell/command_table.h"
#include "gui/shell/main_frame.h"

namespace zirvo::gui {

void CMainFrame::RunCommand(int id) {
    switch (id) {
        case kCmdShowMainWindow:
            ShowMainWindow();
            break;
        case kCmdExit:
            close();
            break;
        case kCmdAbout:
            ShowAbout();
            break;
        case kCmdHelpPage:
        case kCmdSupportSite:
        case kCmdSupportForum:
            OpenHelpPage(this);
            break;
        case kCmdReceiveAll:
            emit ReceiveAllRequested();
            break;
        case kCmdAddSubscription:
            emit AddSubscriptionRequested(QString(), QString());
            break;
        case kCmdNewFolder:
            emit NewFolderRequested();
            break;
        case kCmdReaderSettings:
            OpenReaderSettings();
            break;
        case kCmdSystemSettings:
            OpenSystemSettings();
            break;
        case kCmdCleaningWizard:
            OpenCleaningWizard();
            break;
        case kCmdCompactFeeds:
            StartOutsideProgram(QStringLiteral("sorvik"), {}, false);
            break;
        case kCmdCompactArticles:
            CompactArticles();
            break;
        default:
            break;
    }
}

void CMainFrame::OpenReaderSettings() {
    CReaderSession* session = m_session;
    CReaderOptionsDialog dialog(
        m_config, QString::fromStdString(m_root.Dir()),
        [session](std::function<void()> job) {
            return session != nullptr && session->StartJob(std::move(job));
        },
        this);
    if (dialog.exec() == QDialog::Accepted) {
        StartupSettings startup;
        if (m_config.ReadStartupSettings(startup)) {
            m_minimiseToTray = startup.enableMinimizeToNotifyArea != 0;
        }
        emit ReceiveSettingsChanged();
    }
}

void CMainFrame::OpenSystemSettings() {
    CSystemOptionsDialog dialog(m_config, this);
    dialog.exec();
}

void CMainFrame::OpenCleaningWizard() {
    if (m_session == nullptr) {
        return;
    }
    CCleaningWizard wizard(*m_session, this);
    connect(&wizard, &CCleaningWizard::CountsChanged, this, &CMainFrame::TreeChanged);
    wizard.exec();
}

void CMainFrame::CompactArticles() {
    const auto answer = QMessageBox::question(
        this, QStringLiteral("整理确认"),
        QStringLiteral("重新整理数据库空间将需要一些时间(可能几分钟)\n整理后数据库文件将变小!\n"
                       "现在整理吗?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    // A VACUUM rewrites the whole file: it runs as a job of the session (joined at close) with
    // its own connection, and the window stays responsive.
    if (m_session == nullptr) {
        return;
    }
    const std::string root = m_root.Dir();
    QPointer<CMainFrame> self(this);
    const bool started = m_session->StartJob([root, self] {
        CBlogStore store(root);
        const bool ok = store.Open() && store.Compact();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, ok] {
                if (!self) {
                    return;
                }
                self->setEnabled(true);
                self->SetStatusText(QString());
                if (ok) {
                    QMessageBox::information(self, self->m_title, QStringLiteral("整理完成!"));
                } else {
                    QMessageBox::warning(self, self->m_title,
                                         QStringLiteral("请暂停进行的其它数据库操作!"));
                }
            },
            Qt::QueuedConnection);
    });
    if (started) {
        setEnabled(false);
        SetStatusText(QStringLiteral("正在整理数据库..."));
    }
}

void CMainFrame::StartOutsideProgram(const QString& name, const QStringList& arguments,
                                     bool quiet) {
    // The helper programs are not part of this suite: they are started when installed next to
    // this program or on the PATH, and the user is told plainly when they are not.
    QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFileInfo(path).isExecutable()) {
        path = QStandardPaths::findExecutable(name);
    }
    if (!path.isEmpty() &&
        QProcess::startDetached(path, arguments, QString::fromStdString(m_root.Dir()))) {
        return;
    }
    if (quiet) {
        SetStatusText(QStringLiteral("没有找到外部程序 %1").arg(name));
    } else {
        QMessageBox::information(this, m_title,
                                 QStringLiteral("没有找到外部程序 %1，请先安装它。").arg(name));
    }
}

void CMainFrame::ShowAbout() {
    QMessageBox::about(this, QStringLiteral("关于 %1").arg(m_title),
                       QStringLiteral("<h3>%1 %2</h3><p>RSS 阅读器与博客文章库。</p>"
                                      "<p>数据目录: %3</p>")
                           .arg(m_title, QCoreApplication::applicationVersion(),
                                QString::fromStdString(m_root.Dir()).toHtmlEscaped()));
}

}  // namespace zirvo::gui
