// A transfer that stops sending ends after the stall time instead of the whole-transfer time.

#include <gtest/gtest.h>

#include "core/net/http_client.h"
#include "support/feed_server.h"
#include "support/temp_dir.h"

namespace zirvo::test {
namespace {

TEST(FetchStall, ASiteThatSendsNothingIsDroppedAsATimeout) {
    TempDir site{"stall"};
    CFeedServer server(site.Path());
    ASSERT_TRUE(server.Put("/feed.xml", "<rss version=\"2.0\"><channel></channel></rss>"));
    CCurlHttpClient client;
    HttpRequest request;
    // The site stays silent for 20 s before it answers.
    request.url = server.Url("/slow?s=20&to=/feed.xml");
    request.stallTimeoutMs = 1000;
    const HttpResponse response = client.Perform(request);
    EXPECT_EQ(response.failure, HttpFailure::Timeout) << response.error;
}

}  // namespace
}  // namespace zirvo::test
