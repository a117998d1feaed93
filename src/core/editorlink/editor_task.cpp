#include "core/editorlink/editor_task.h"

#include <algorithm>

#include "core/editorlink/blog_tree_code.h"
#include "core/util/files.h"
#include "core/util/strings.h"
#include "core/util/xml_document.h"
#include "core/util/xml_text.h"

namespace zirvo {
namespace {

bool KindHasIndex(int kind) {
    return kind != kTaskNewArticle;
}

bool KindHasAccountList(int kind) {
    return kind == kTaskNewArticle || kind == kTaskFromFeedItem || kind == kTaskFromStagedItem;
}

std::string Element(const char* name, const std::string& content) {
    return StrFormat("<%s>", name) + content + StrFormat("</%s>", name);
}

// Fills the codes of the task from the account's registry position; false when unregistered.
bool FillFromRegistry(EditorTask& task, const std::vector<std::string>& registeredAccounts) {
    auto it = std::find(registeredAccounts.begin(), registeredAccounts.end(), task.account);
    if (it == registeredAccounts.end()) {
        return false;
    }
    int index = static_cast<int>(it - registeredAccounts.begin());
    task.publishFolderTreeId = BlogTreeCode(index, kTreePublished);
    task.draftFolderTreeId = BlogTreeCode(index, kTreeDrafts);
    task.accounts.clear();
    for (size_t i = 0; i < registeredAccounts.size(); ++i) {
        task.accounts.push_back(TaskAccount{registeredAccounts[i],
                                            BlogTreeCode(static_cast<int>(i), kTreeAccountNode)});
    }
    return true;
}

bool WriteTask(const std::string& taskPath, const EditorTask& task) {
    size_t slash = taskPath.rfind('/');
    if (slash != std::string::npos && !MakeDirectories(taskPath.substr(0, slash))) {
        return false;
    }
    return WriteFileAtomic(taskPath, BuildEditorTaskXml(task));
}

}  // namespace

std::string EditorTaskPath(const std::string& dataRoot) {
    return JoinPath(dataRoot, "Temp/subprocess.xml");
}

std::string EditorWindowTitle(int processType, const std::string& account) {
    const char* prefix = "新建日志 - ";
    switch (processType) {
        case kTaskEditReceived:
            prefix = "修改已收日志 - ";
            break;
        case kTaskEditPublished:
            prefix = "修改已发日志 - ";
            break;
        case kTaskEditDraft:
            prefix = "编辑草稿箱日志 - ";
            break;
        case kTaskEditRecycled:
            prefix = "编辑垃圾箱日志 - ";
            break;
        default:
            break;
    }
    return prefix + account;
}

int TaskKindForListFolder(int listFolder) {
    return listFolder >= 1 && listFolder <= 6 ? listFolder : -1;
}

std::string BuildEditorTaskXml(const EditorTask& task) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>";
    xml += Element("processtype", StrFormat("%d", task.processType));
    xml += Element("account", XmlTextContent(task.account));
    if (KindHasIndex(task.processType)) {
        xml += Element("index", XmlTextContent(task.index));
    }
    xml += Element("publishfoldertreeid", StrFormat("%d", task.publishFolderTreeId));
    xml += Element("draftfoldertreeid", StrFormat("%d", task.draftFolderTreeId));
    xml += "<accounts>";
    for (const TaskAccount& account : task.accounts) {
        xml += "<account>" + Element("name", XmlTextContent(account.name)) +
               Element("treeid", StrFormat("%d", account.treeId)) + "</account>";
    }
    xml += "</accounts></root>";
    return xml;
}

bool WriteNewArticleTask(const std::string& taskPath, const std::string& account,
                         const std::vector<std::string>& registeredAccounts) {
    EditorTask task;
    task.processType = kTaskNewArticle;
    task.account = account;
    return FillFromRegistry(task, registeredAccounts) && WriteTask(taskPath, task);
}

bool WriteArticleTask(const std::string& taskPath, int listFolder, const std::string& articleId,
                      const std::string& account,
                      const std::vector<std::string>& registeredAccounts) {
    EditorTask task;
    task.processType = TaskKindForListFolder(listFolder);
    task.account = account;
    task.index = articleId;
    return task.processType > 0 && FillFromRegistry(task, registeredAccounts) &&
           WriteTask(taskPath, task);
}

TaskReadResult ReadTask(const std::string& taskPath, EditorTask& task, CErrorMsgDialog& messages) {
    CXmlDocument doc;
    if (!doc.LoadFile(taskPath)) {
        return TaskReadResult::kStandalone;
    }
    RemoveFile(taskPath);

    auto abort = [&messages] {
        messages.ShowById(kMsgTaskElementMissing);
        return TaskReadResult::kAbort;
    };
    XmlNode kind = doc.SelectNode("/root/processtype");
    XmlNode account = doc.SelectNode("/root/account");
    XmlNode publish = doc.SelectNode("/root/publishfoldertreeid");
    XmlNode draft = doc.SelectNode("/root/draftfoldertreeid");
    if (!kind || !account || !publish || !draft) {
        return abort();
    }
    task.processType = ToInt(kind.Text());
    // NOTE: a kind the editor has no task for is as broken as a missing element.
    if (task.processType < kTaskNewArticle || task.processType > kTaskFromStagedItem) {
        return abort();
    }
    task.account = account.Text();
    task.publishFolderTreeId = ToInt(publish.Text());
    task.draftFolderTreeId = ToInt(draft.Text());
    if (KindHasIndex(task.processType)) {
        XmlNode index = doc.SelectNode("/root/index");
        if (!index) {
            return abort();
        }
        task.index = index.Text();
    }
    task.accounts.clear();
    if (KindHasAccountList(task.processType)) {
        XmlNode accounts = doc.SelectNode("/root/accounts");
        if (!accounts) {
            return abort();
        }
        // account[0], account[1], ... until one lacks its name or tree code.
        for (XmlNode entry : accounts.Children("account")) {
            XmlNode name = entry.FirstChild("name");
            XmlNode treeId = entry.FirstChild("treeid");
            if (!name || !treeId) {
                break;
            }
            task.accounts.push_back(TaskAccount{name.Text(), ToInt(treeId.Text())});
        }
    }
    return TaskReadResult::kTask;
}

StandaloneChoice ChooseStandaloneStart(const std::vector<std::string>& registeredAccounts) {
    if (registeredAccounts.empty()) {
        return StandaloneChoice::kNoAccount;
    }
    return registeredAccounts.size() == 1 ? StandaloneChoice::kSingle : StandaloneChoice::kAskUser;
}

EditorTask StandaloneTask(const std::string& account,
                          const std::vector<std::string>& registeredAccounts) {
    EditorTask task;
    task.processType = kTaskNewArticle;
    task.account = account;
    for (const std::string& name : registeredAccounts) {
        task.accounts.push_back(TaskAccount{name, 0});
    }
    return task;
}

int NotifyTreeCode(const EditorTask& task, int folder) {
    return folder == kTreeDrafts ? task.draftFolderTreeId : task.publishFolderTreeId;
}

}  // namespace zirvo
