#include "core/views/page_settings.h"

#include <string>
#include <utility>
#include <vector>

namespace zirvo {

bool ReadShowWebPictures(CAppConfig& config) {
    std::vector<std::pair<std::string, std::string>> values;
    if (config.ListAppValues("rss", values) != 1) {
        return true;
    }
    for (const auto& [key, value] : values) {
        if (key == kShowWebPicturesKey) {
            return value != "0";
        }
    }
    return true;
}

int WriteShowWebPictures(CAppConfig& config, bool show) {
    return config.WriteAppValue(kShowWebPicturesKey, show ? "1" : "0");
}

}  // namespace zirvo
