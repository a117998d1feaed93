#pragma once
// The rules of the e-book dialog ("生成CHM电子书") that need no widget: the start checks with
// their messages, the default titles, the proposed file name and which boxes a source shows.
// The dialog and zirvo-cli both use them.
//
// Threading: pure functions, any thread.

#include <ctime>
#include <string>

#include "core/ebook/ebook_article.h"

namespace zirvo {

inline constexpr const char* kEbookStatusHeader =
    "====================状态显示===================\r\n";
inline constexpr const char* kEbookNoOutputPath = "请选择要保存为的CHM文件名!";
inline constexpr const char* kEbookNoTitle = "请输入标题!";
inline constexpr const char* kEbookDone = "制作完成!";
inline constexpr const char* kEbookCompileFailed = "编译失败!";
inline constexpr const char* kEbookFileFilter = "*.chm|*.chm|";

// Captions of the start button while the export runs and when it is done.
inline constexpr const char* kEbookButtonDownloading = "下载图片...";
inline constexpr const char* kEbookButtonCompiling = "编译中...";
inline constexpr const char* kEbookButtonDone = "制作完成";

enum class EbookField {
    None,
    OutputPath,  // the "保存为" button gets the focus
    Title,
};

struct EbookStartCheck {
    bool ok = true;
    EbookField field = EbookField::None;
    std::string message;
};

// The checks of "开始生成", in the dialog's order: output path, then title.
EbookStartCheck CheckEbookStart(const std::string& outputPath, const std::string& title);

// "我的日志" for blog articles, "我的收藏" for feed items.
const char* DefaultEbookTitle(EbookSource source);
// The title the dialog starts with: the caller's, or the default when that is empty.
std::string InitialEbookTitle(EbookSource source, const std::string& title);
// Only blog articles carry categories the book can be folded by.
bool ShowsByCategoryBox(EbookSource source);
// The name "保存为" proposes: the title, or for blog articles "我的日志 " and the local time as
// "%Y-%m-%d %H%M%S".
std::string ProposedEbookFileName(EbookSource source, const std::string& title, std::time_t now);

}  // namespace zirvo
