// An answer that declares one large entity and references it tens of thousands of times is
// refused like any unreadable answer, instead of expanding into gigabytes and aborting.

#include <gtest/gtest.h>

#include "core/blogapi/xml_rpc.h"
#include "core/config/error_msg_dialog.h"
#include "core/util/reporter.h"
#include "core/util/xml_document.h"
#include "support/hostile_xml.h"

namespace zirvo {
namespace {

TEST(RpcAnswerEntities, ExpandingFaultAnswerShowsTheUnknownFormatTexts) {
    const std::string answer = test::EntityExpansionRpcAnswer();
    ASSERT_GT(answer.size(), 200u * 1024);
    ASSERT_LT(answer.size(), 240u * 1024);
    const std::string decoded = DecodeAnswer(answer, "UTF-8");

    CXmlDocument doc;
    EXPECT_FALSE(doc.LoadMemory(decoded));
    EXPECT_FALSE(HasFaultCode(doc, true));

    CRecordingReporter reporter;
    CErrorMsgDialog messages("/nonexistent/ErrorMsg.xml", reporter);
    ShowFault(decoded, messages);
    auto shown = reporter.ErrorMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].description.find("无法识别的错误代码格式"), std::string::npos);
    EXPECT_NE(shown[0].description.find("无法识别的错误信息格式"), std::string::npos);
    EXPECT_LT(shown[0].description.size(), 4096u);
}

}  // namespace
}  // namespace zirvo
