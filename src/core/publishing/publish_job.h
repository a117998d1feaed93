#pragma once
// The record handed to one publishing worker.
// Internal to the publishing module (publish_jobs.cpp, publish_workers.cpp).
//
// Threading: a Job is built on the starter's thread and then belongs to its worker alone.

#include <string>
#include <vector>

#include "core/blogapi/blog_post.h"
#include "core/publishing/publish_jobs.h"

namespace zirvo {

struct CPublishJobs::Job {
    int id = 0;
    // The worker's own connection to the article store, open while the worker runs.
    CBlogStore* store = nullptr;
    bool finished = false;  // Finish has run
    PublishJobKind kind = PublishJobKind::kPublishOne;
    std::string account;
    std::string flavour;  // the account's `blogapitype` when the job started
    int result = 0;
    BlogPost post;
    std::string newPostId;
    int sourceFolderCode = 0;  // tree code of the folder the articles leave; 0 when none
    int targetFolderCode = 0;  // tree code of the folder that gains them
    BlogFolder sourceFolder = kBlogFolderDrafts;  // the list the command came from
    int articleId = 0;
    std::string serverId;
    std::vector<int> articleIds;  // the batches, in list order

    // A multi-account worker: its dialog row and where the source article lives.
    int row = -1;
    std::string sourceAccount;
    bool sourceHasLocalRow = true;
};

}  // namespace zirvo
