#pragma once
// The article page's own settings in config/appConfig.xml below /app/rss/:
//   showwebpictures   1 (default): pictures of items load from the web; 0: only after the user
//                     asks on the page ("显示图片"), since fetching a picture tells its sender
//                     that the item is being read.
//
// A data root seeded before the element existed lacks it: reading gives the default without a
// message.
//
// Threading: any thread; each call reads or writes the file.

#include "core/config/app_config.h"

namespace zirvo {

inline constexpr const char* kShowWebPicturesKey = "rss/showwebpictures";

bool ReadShowWebPictures(CAppConfig& config);
// 1 or 0 as CAppConfig's writes (0 has been reported to the user).
int WriteShowWebPictures(CAppConfig& config, bool show);

}  // namespace zirvo
