#include "core/ebook/ebook_builder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "core/ebook/chm_compiler.h"
#include "core/ebook/ebook_pages.h"
#include "core/ebook/ebook_pictures.h"
#include "core/ebook/ebook_project.h"
#include "core/ebook/ebook_rules.h"
#include "core/util/closing_flag.h"
#include "core/util/files.h"
#include "core/util/strings.h"

namespace zirvo {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxTemplateBytes = 4u << 20;

EbookResult Fail(EbookOutcome outcome, std::string message, std::string detail = {}) {
    EbookResult result;
    result.outcome = outcome;
    result.message = std::move(message);
    result.detail = std::move(detail);
    return result;
}

EbookResult BuildFailed(std::string detail) {
    return Fail(EbookOutcome::CompileFailed, kEbookCompileFailed, std::move(detail));
}

bool HasControlCharacters(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

// Holds Temp/CHMTemp.lock for the life of one build.
class CBuildLock {
public:
    explicit CBuildLock(const std::string& path)
        : m_fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}
    ~CBuildLock() {
        if (m_fd >= 0) {
            close(m_fd);  // releases the lock
        }
    }
    CBuildLock(const CBuildLock&) = delete;
    CBuildLock& operator=(const CBuildLock&) = delete;

    bool Acquire() { return m_fd >= 0 && flock(m_fd, LOCK_EX | LOCK_NB) == 0; }

private:
    int m_fd;
};

// Empties the project folder and makes it and its picture folder again.
bool PrepareProjectDir(const std::string& dir, std::string& error) {
    std::error_code code;
    fs::remove_all(dir, code);
    if (code) {
        error = "无法清空 " + dir + ": " + code.message();
        return false;
    }
    return MakeDirectories(JoinPath(dir, "images"), &error);
}

bool WriteProjectFile(const std::string& path, const std::string& bytes, std::string& error) {
    std::string cause;
    if (!WriteFileAtomic(path, bytes, &cause)) {
        error = "无法写入 " + path + ": " + cause;
        return false;
    }
    return true;
}

bool ReadTemplate(const std::string& path, std::string& text, std::string& error) {
    if (!ReadFileBytes(path, text, kMaxTemplateBytes)) {
        error = "缺少模板 " + path;
        return false;
    }
    return true;
}

bool CopyStyle(const std::string& skinDir, const std::string& projectDir, const char* name,
               std::string& error) {
    std::string text;
    return ReadTemplate(JoinPath(skinDir, name), text, error) &&
           WriteProjectFile(JoinPath(projectDir, name), text, error);
}

// Where the compiler writes before the book takes its final name.
std::string PartialBookPath(const std::string& outputPath) {
    return outputPath + ".part";
}

// Writes every file of the project; false with `error` set at the first failure.
bool WriteProject(const CDataRoot& root, const EbookRequest& request, const std::string& dir,
                  std::string& error) {
    const std::string project =
        BuildProjectFile(request.outputPath, request.title, request.articles.size());
    // The compiler writes beside the book, under another name: a failed compile must not cost
    // the user a book that already stands at the chosen path.
    const std::string compilerProject = CompilerProjectFile(BuildProjectFile(
        PartialBookPath(request.outputPath), request.title, request.articles.size()));
    if (!WriteProjectFile(
            JoinPath(dir, kEbookContentsFile),
            BuildContentsFile(request.articles, request.categories, request.byCategory), error) ||
        !WriteProjectFile(JoinPath(dir, kEbookProjectFile), project, error) ||
        !WriteProjectFile(JoinPath(dir, kEbookCompilerProjectFile), compilerProject, error)) {
        return false;
    }
    const std::string skinDir = root.Path("Data/CHMSkin");
    std::string titleTemplate;
    if (!ReadTemplate(JoinPath(skinDir, "index.html"), titleTemplate, error) ||
        !WriteProjectFile(
            JoinPath(dir, "index.html"),
            FillEbookTitlePage(titleTemplate, EbookAppLink(request.appSite, request.appTitle),
                               request.description, request.articles.size(), std::time(nullptr)),
            error) ||
        !CopyStyle(skinDir, dir, "index.css", error)) {
        return false;
    }
    std::string articleTemplate;
    if (!ReadTemplate(JoinPath(skinDir, "article.html"), articleTemplate, error)) {
        return false;
    }
    for (size_t i = 0; i < request.articles.size(); ++i) {
        if (!WriteProjectFile(JoinPath(dir, EbookPageName(i)),
                              FillEbookArticlePage(articleTemplate, request.articles[i]), error)) {
            return false;
        }
    }
    return CopyStyle(skinDir, dir, "article.css", error);
}

bool IsNonEmptyFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

}  // namespace

std::string EbookProjectDir(const CDataRoot& root) {
    return root.Path(kEbookWorkDir);
}

EbookResult CheckEbookRequest(const EbookRequest& request) {
    const EbookStartCheck check = CheckEbookStart(request.outputPath, request.title);
    if (!check.ok) {
        return Fail(EbookOutcome::Refused, check.message);
    }
    const std::string& path = request.outputPath;
    if (HasControlCharacters(path)) {
        return Fail(EbookOutcome::Refused, "无效的文件名!",
                    "the output path holds a control character");
    }
    const fs::path output(path);
    const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    std::error_code code;
    if (!fs::is_directory(folder, code)) {
        return Fail(EbookOutcome::Refused, "无法写入 " + path,
                    "the folder " + folder.string() + " does not exist");
    }
    if (fs::is_directory(output, code)) {
        return Fail(EbookOutcome::Refused, "无法写入 " + path, path + " is a folder");
    }
    // The effective rights, which are what the compiler will have.
    if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 ||
        (fs::exists(output, code) && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)) {
        return Fail(EbookOutcome::Refused, "无法写入 " + path, std::strerror(errno));
    }
    return {EbookOutcome::Done, {}, {}, 0, 0};
}

EbookResult BuildEbook(const CDataRoot& root, EbookRequest request, IHttpClient& http,
                       IEbookStatus& status, const std::atomic<bool>& stop) {
    if (!request.outputPath.empty()) {
        std::error_code code;
        const fs::path absolute = fs::absolute(request.outputPath, code);
        if (!code) {
            request.outputPath = absolute.lexically_normal().string();
        }
    }
    EbookResult checked = CheckEbookRequest(request);
    if (checked.outcome != EbookOutcome::Done) {
        return checked;
    }
    if (Trim(request.description).empty()) {
        request.description = request.title;  // a title page is never blank
    }
    std::string error;
    if (!MakeDirectories(root.TempDir(), &error)) {
        return BuildFailed("无法创建 " + root.TempDir() + ": " + error);
    }
    CBuildLock lock(root.Path("Temp/CHMTemp.lock"));
    if (!lock.Acquire()) {
        return Fail(EbookOutcome::Refused, "另一本电子书正在制作中,请稍后再试。",
                    "another e-book build is using " + root.Path(kEbookWorkDir));
    }
    const std::string dir = EbookProjectDir(root);
    if (!PrepareProjectDir(dir, error)) {
        return BuildFailed(error);
    }
    EbookResult result;
    if (request.downloadPictures) {
        std::vector<EbookPicture> pictures;
        CollectEbookPictures(request.articles, pictures);
        const PictureDownloadResult downloaded =
            DownloadEbookPictures(pictures, dir, http, request.pictureOptions, stop, status);
        result.picturesDownloaded = downloaded.downloaded;
        result.picturesFailed = downloaded.failed;
    }
    if (stop.load() || IsClosing()) {
        return Fail(EbookOutcome::Stopped, "已取消", "the export was stopped");
    }
    status.OnCompiling();
    if (!WriteProject(root, request, dir, error)) {
        return BuildFailed(error);
    }
    const char* envPath = std::getenv("PATH");
    const std::string compiler = FindChmCompiler(
        request.compilerSearchPath.empty() ? (envPath ? envPath : "") : request.compilerSearchPath);
    if (compiler.empty()) {
        EbookResult missing =
            Fail(EbookOutcome::NoCompiler, kEbookCompileFailed,
                 "没有找到CHM编译器 chmcmd (no CHM compiler: install fp-utils); 工程文件已写入 "
                 "(project written to) " +
                     JoinPath(dir, kEbookProjectFile));
        missing.picturesDownloaded = result.picturesDownloaded;
        missing.picturesFailed = result.picturesFailed;
        return missing;
    }
    std::error_code code;
    const std::string partial = PartialBookPath(request.outputPath);
    fs::remove(partial, code);
    const ChmCompileResult compiled = RunChmCompiler(compiler, kEbookCompilerProjectFile, dir,
                                                     status, stop, request.compileTimeoutMs);
    bool ok = compiled.ran && compiled.exitCode == 0 && IsNonEmptyFile(partial);
    std::string renameError;
    if (ok) {
        fs::rename(partial, request.outputPath, code);
        if (code) {
            ok = false;
            renameError = "cannot replace " + request.outputPath + ": " + code.message();
        }
    }
    if (!ok) {
        fs::remove(partial, code);
        if (compiled.killed && (stop.load() || IsClosing())) {
            return Fail(EbookOutcome::Stopped, "已取消", "the export was stopped");
        }
        std::string cause = renameError.empty() ? compiled.error : renameError;
        if (cause.empty()) {
            cause = compiled.exitCode != 0
                        ? StrFormat("chmcmd exited with status %d", compiled.exitCode)
                        : "chmcmd wrote no file at " + partial;
        }
        EbookResult failed = BuildFailed(cause);
        failed.picturesDownloaded = result.picturesDownloaded;
        failed.picturesFailed = result.picturesFailed;
        return failed;
    }
    result.outcome = EbookOutcome::Done;
    result.message = kEbookDone;
    return result;
}

}  // namespace zirvo
