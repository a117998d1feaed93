// Article backup files as an import reads them. The reader takes a path, so each input is
// written to one scratch file of this process first.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/publishing/article_backup.h"
#include "core/util/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (getenv("TMPDIR") ? std::string(getenv("TMPDIR")) : std::string("/tmp")) +
        "/zirvo-fuzz-backup-" + std::to_string(getpid()) + ".xml";
    if (!zirvo::WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    zirvo::BlogArticleList articles;
    std::string error;
    zirvo::ReadArticleBackup(path, articles, error);
    return 0;
}
