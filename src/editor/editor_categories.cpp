// The editor's category boxes (from the account's cache files, fetched when missing) and the
// picture uploads (a chosen file, or pictures dropped or pasted into the page). Every server
// call runs on a worker.

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <thread>

#include "core/accounts/account_endpoint.h"
#include "core/accounts/account_records.h"
#include "core/blogapi/connection_settings.h"
#include "core/blogapi/editor_calls.h"
#include "core/editorlink/category_cache.h"
#include "core/util/files.h"
#include "editor/editor_frame.h"
#include "editor/extended_options.h"
#include "editor/header_bar.h"

namespace zirvo::editor {

namespace {

inline constexpr const char* kStatusFetchingCategories = "获取分类...";
inline constexpr const char* kStatusFetchingSystemCategories = "获取系统分类...";
inline constexpr const char* kStatusUploading = "上传文件...";

// What a worker needs to talk to the account's server: copies only.
struct ServerAccess {
    BlogEndpoint endpoint;
    ConnectionSettings connection;
};

bool ReadServerAccess(const EditorContext& context, const std::string& account,
                      ServerAccess& access) {
    if (!ReadBlogEndpoint(context.registry, account, access.endpoint)) {
        return false;
    }
    access.connection = LoadConnectionSettings(access.endpoint, context.config, true);
    if (!context.caFile.empty()) {
        access.connection.caFile = context.caFile;
    }
    return true;
}

}  // namespace

void CEditorFrame::FillCategoryBox(bool firstTime) {
    const std::string path = CategoryCachePath(m_context.root.Dir(), m_task.account);
    if (path.empty() || !FlavourHasCategories(m_state.flavour)) {
        return;
    }
    // The title and category the user may have changed since the article was loaded stay.
    const std::string select = firstTime ? m_document.category : m_header->Category();
    if (!FileExists(path)) {
        if (!firstTime) {
            return;
        }
        UpdateCategories();
        return;
    }
    std::vector<std::string> names;
    if (ReadCategoryCache(path, names)) {
        m_header->FillCategories(names, select);
    }
}

void CEditorFrame::UpdateCategories() {
    ServerAccess access;
    if (!ReadServerAccess(m_context, m_task.account, access)) {
        Finished(kCmdUpdateCategories, false);
        return;
    }
    const BlogClientServices services = m_context.Services();
    const std::string root = m_context.root.Dir();
    RunJob(
        QString::fromUtf8(kStatusFetchingCategories),
        [access, services, root] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return RefreshCategoryCache(root, access.endpoint, access.connection, services,
                                        CategoryList::kBlog)
                           .Ok()
                       ? 1
                       : 0;
        },
        [this](int result) {
            // A failed fetch keeps the previous cache: the box shows what it holds.
            const std::string path = CategoryCachePath(m_context.root.Dir(), m_task.account);
            std::vector<std::string> names;
            if (FileExists(path) && ReadCategoryCache(path, names)) {
                const bool first = m_header->CategoryBox()->count() <= 1;
                m_header->FillCategories(names, first ? m_document.category : m_header->Category());
            }
            Finished(kCmdUpdateCategories, result == 1);
        });
}

void CEditorFrame::FillSystemCategoryBox() {
    const std::string path = SystemCategoryCachePath(m_context.root.Dir(), m_task.account);
    std::vector<std::string> names;
    if (!path.empty() && FileExists(path) && ReadCategoryCache(path, names)) {
        m_extended->FillSystemCategories(names);
    }
}

void CEditorFrame::FetchSystemCategories() {
    if (m_busy || !FlavourHasSystemCategories(m_state.flavour)) {
        return;
    }
    ServerAccess access;
    if (!ReadServerAccess(m_context, m_task.account, access)) {
        return;
    }
    const BlogClientServices services = m_context.Services();
    const std::string root = m_context.root.Dir();
    RunJob(
        QString::fromUtf8(kStatusFetchingSystemCategories),
        [access, services, root] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return RefreshCategoryCache(root, access.endpoint, access.connection, services,
                                        CategoryList::kSystem)
                           .Ok()
                       ? 1
                       : 0;
        },
        [this](int result) {
            FillSystemCategoryBox();
            Finished(kCmdUpdateCategories, result == 1);
        });
}

void CEditorFrame::ChooseAndUpload() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("上传文件"), QString(),
        QStringLiteral("图片 (*.gif *.jpg *.jpeg *.png *.webp);;GIF (*.gif);;JPEG (*.jpg *.jpeg)"));
    if (!path.isEmpty()) {
        UploadPath(path);
    }
}

void CEditorFrame::UploadPath(const QString& path) {
    if (m_busy || !EditorCommandRule(kCmdUploadFile, m_state).enabled) {
        return;
    }
    ServerAccess access;
    if (!ReadServerAccess(m_context, m_task.account, access)) {
        Finished(kCmdUploadFile, false);
        return;
    }
    const QFileInfo info(path);
    UploadRecord record;
    record.fullPath = info.absoluteFilePath().toStdString();
    record.fileName = info.fileName().toStdString();
    record.extension = info.suffix().toStdString();
    const BlogClientServices services = m_context.Services();
    auto url = std::make_shared<std::string>();
    RunJob(
        QString::fromUtf8(kStatusUploading),
        [access, services, record, url]() mutable {
            return UploadFile(access.endpoint, access.connection, services, record, *url) ? 1 : 0;
        },
        [this, url](int result) {
            if (result != 1) {
                Finished(kCmdUploadFile, false);
                return;
            }
            InsertPicture(*url);
        });
}

void CEditorFrame::UploadOffered(const QList<OfferedPicture>& pictures) {
    const CommandRule rule = EditorCommandRule(kCmdUploadFile, m_state);
    if (!rule.enabled) {
        // The picture cannot reach the blog; a local one in the post would show nowhere else.
        Say(QStringLiteral("图片没有插入: ") + QString::fromStdString(rule.reason));
        return;
    }
    for (const OfferedPicture& picture : pictures) {
        m_pending.push_back(picture);
    }
    if (!m_busy) {
        UploadNext();
    }
}

void CEditorFrame::UploadNext() {
    if (m_pending.empty()) {
        return;
    }
    ServerAccess access;
    if (!ReadServerAccess(m_context, m_task.account, access)) {
        m_pending.clear();
        Finished(kCmdUploadFile, false);
        return;
    }
    OfferedPicture picture = m_pending.front();
    m_pending.pop_front();
    const BlogClientServices services = m_context.Services();
    auto url = std::make_shared<std::string>();
    RunJob(
        QString::fromUtf8(kStatusUploading),
        [access, services, picture, url] {
            return UploadPicture(access.endpoint, access.connection, services,
                                 picture.fileName.toStdString(), picture.mimeType.toStdString(),
                                 picture.data.toStdString(), *url)
                       ? 1
                       : 0;
        },
        [this, url](int result) {
            if (result != 1) {
                // The others would most likely fail the same way.
                m_pending.clear();
                Finished(kCmdUploadFile, false);
                return;
            }
            InsertPicture(*url);
        });
}

void CEditorFrame::InsertPicture(const std::string& url) {
    m_busy = true;
    UpdateCommands();
    m_view->AppendContent(QString::fromStdString(PictureElement(url)), [this](bool ok) {
        m_busy = false;
        if (!ok) {
            Say(QString::fromUtf8(kTextGetContentFailed));
        }
        Finished(kCmdUploadFile, ok);
        UploadNext();
    });
}

}  // namespace zirvo::editor
