// Handing articles to the editor program: the task file Temp/subprocess.xml, then the editor
// (core/editorlink/editor_program.h says where it is looked for) on the same data root.

#include <QMessageBox>

#include "core/editorlink/editor_program.h"
#include "core/editorlink/editor_task.h"
#include "core/util/files.h"
#include "gui/library/account_chooser_dialog.h"
#include "gui/library/blog_article_model.h"
#include "gui/library/library_controller.h"

namespace zirvo::gui {

std::string CLibraryController::EditorProgram() {
    return FindEditorProgram(RunningExecutableDir());
}

bool CLibraryController::StartEditor(bool taskWritten) {
    const std::string taskPath = EditorTaskPath(m_context.root.Dir());
    if (!taskWritten) {
        emit StatusText(QStringLiteral("无法写入编辑器的任务文件 ") +
                        QString::fromStdString(taskPath));
        return false;
    }
    const std::string program = EditorProgram();
    std::string error;
    if (program.empty()) {
        error = kTextEditorMissing;
    } else if (StartEditorProgram(program, m_context.root.Dir(), error)) {
        return true;
    }
    // A task nobody reads would be taken by the next editor started by hand.
    RemoveFile(taskPath);
    Say("无法启动编辑器: " + error);
    return false;
}

bool CLibraryController::ComposePost() {
    const std::string account = m_currentAccount;
    if (account.empty() || !PassLocalLogin(account)) {
        return false;
    }
    return StartEditor(
        WriteNewArticleTask(EditorTaskPath(m_context.root.Dir()), account, AccountNames()));
}

bool CLibraryController::EditSelected() {
    const std::vector<int> ids = SelectedIds();
    const std::string account = m_model->Account();
    if (ids.size() != 1 || account.empty() || !PassLocalLogin(account)) {
        return false;
    }
    return StartEditor(WriteArticleTask(EditorTaskPath(m_context.root.Dir()), m_model->Folder(),
                                        std::to_string(ids.front()), account, AccountNames()));
}

bool CLibraryController::PublishFeedItem(int itemId) {
    const std::vector<std::string> names = AccountNames();
    if (names.empty()) {
        Say(kTextOpenMainProgram);
        return false;
    }
    CAccountChooserDialog chooser(m_context.messages, names, m_window);
    if (chooser.exec() != QDialog::Accepted) {
        return false;
    }
    const std::string account = chooser.Chosen();
    if (!PassLocalLogin(account)) {
        return false;
    }
    return StartEditor(WriteArticleTask(EditorTaskPath(m_context.root.Dir()), kTaskFromFeedItem,
                                        std::to_string(itemId), account, names));
}

}  // namespace zirvo::gui
