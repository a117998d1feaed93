#pragma once
// The editor's server calls: the blog's categories, the service's system categories and the
// upload of a picture. The category caches under Temp/ are the account side's business; these
// functions only talk to the server.
// Threading: the calling (worker) thread; each call makes its own client.

#include <string>
#include <vector>

#include "core/blogapi/blog_endpoint.h"
#include "core/blogapi/connection_settings.h"

namespace zirvo {

enum class FetchOutcome {
    Skipped,  // the flavour has no such list: nothing was asked, nothing is to be written
    Fetched,  // `names` holds the list in server order
    Failed,   // the failure has been shown; `names` is empty
};

// `movedTo` (when given) receives the address the server moved its endpoint to, when the call
// was redirected (see PostXmlOver); it is left as it is otherwise.

// The blog's categories with the flavour's own call: nothing for "Blogger"; "MetaWeblog",
// "MSN Spaces" and "MovableType" ask their server; any other flavour shows "无匹配的blog类型!".
FetchOutcome FetchCategories(const BlogEndpoint& account, const ConnectionSettings& connection,
                             const BlogClientServices& services, std::vector<std::string>& names,
                             std::string* movedTo = nullptr);

// The system categories: only the "MetaWeblog" flavour has them.
FetchOutcome FetchSystemCategories(const BlogEndpoint& account,
                                   const ConnectionSettings& connection,
                                   const BlogClientServices& services,
                                   std::vector<std::string>& names, std::string* movedTo = nullptr);

// A picture chosen for upload: the full path serves only to read the file.
struct UploadRecord {
    std::string fullPath;
    std::string fileName;    // with extension: the media object's name
    std::string extension;   // without the dot: gives the media object's type (a MIME type)
    std::string bitsBase64;  // filled by UploadFile
};

// Largest file accepted for upload; a larger one gives "Alloc memory error".
constexpr size_t kMaxUploadBytes = 20u << 20;

// Reads the file, encodes it in standard Base64 and sends it with the MetaWeblog media call, typed
// by MediaTypeForExtension. True with the server's URL for the file; false after the failure
// has been shown.
bool UploadFile(const BlogEndpoint& account, const ConnectionSettings& connection,
                const BlogClientServices& services, UploadRecord& record, std::string& url,
                std::string* movedTo = nullptr);

// A picture the user dropped or pasted: `bytes` (at most kMaxUploadBytes, else "Alloc memory
// error") sent under `name` with the MIME type `mimeType`. True with the server's URL.
bool UploadPicture(const BlogEndpoint& account, const ConnectionSettings& connection,
                   const BlogClientServices& services, const std::string& name,
                   const std::string& mimeType, const std::string& bytes, std::string& url,
                   std::string* movedTo = nullptr);

}  // namespace zirvo
