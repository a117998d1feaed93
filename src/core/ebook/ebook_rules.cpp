#include "core/ebook/ebook_rules.h"

#include "core/util/strings.h"

namespace zirvo {

EbookStartCheck CheckEbookStart(const std::string& outputPath, const std::string& title) {
    if (Trim(outputPath).empty()) {
        return {false, EbookField::OutputPath, kEbookNoOutputPath};
    }
    if (Trim(title).empty()) {
        return {false, EbookField::Title, kEbookNoTitle};
    }
    return {};
}

const char* DefaultEbookTitle(EbookSource source) {
    return source == EbookSource::BlogArticles ? "我的日志" : "我的收藏";
}

std::string InitialEbookTitle(EbookSource source, const std::string& title) {
    return title.empty() ? std::string(DefaultEbookTitle(source)) : title;
}

bool ShowsByCategoryBox(EbookSource source) {
    return source == EbookSource::BlogArticles;
}

std::string ProposedEbookFileName(EbookSource source, const std::string& title, std::time_t now) {
    if (source != EbookSource::BlogArticles) {
        return title;
    }
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H%M%S", &local);
    return std::string(DefaultEbookTitle(source)) + " " + stamp;
}

}  // namespace zirvo
