// The one escaping of markup text: element text keeps quotes, attribute values between double
// quotes lose '"', text for any attribute loses both; element text also drops what XML cannot
// carry.

#include "core/util/xml_text.h"

#include <gtest/gtest.h>

namespace zirvo {
namespace {

TEST(XmlText, EachQuoteChoiceEscapesExactlyItsCharacters) {
    const std::string text = "a<b>&c \"d\" 'e' 北京";
    std::string none = "x";
    AppendMarkupEscaped(none, text, MarkupQuotes::None);
    EXPECT_EQ(none, "xa&lt;b&gt;&amp;c \"d\" 'e' 北京");
    std::string doubled;
    AppendMarkupEscaped(doubled, text, MarkupQuotes::Double);
    EXPECT_EQ(doubled, "a&lt;b&gt;&amp;c &quot;d&quot; 'e' 北京");
    std::string both;
    AppendMarkupEscaped(both, text, MarkupQuotes::Both);
    EXPECT_EQ(both, "a&lt;b&gt;&amp;c &quot;d&quot; &#39;e&#39; 北京");
    // Already escaped text is escaped again: it is text, not markup.
    std::string again;
    AppendMarkupEscaped(again, "&amp;", MarkupQuotes::None);
    EXPECT_EQ(again, "&amp;amp;");
}

TEST(XmlText, ElementTextDropsWhatXmlCannotCarry) {
    EXPECT_EQ(XmlTextContent(std::string("a\x01<b>\"q\"", 9)), "a&lt;b&gt;\"q\"");
    EXPECT_EQ(XmlCDataSection("x]]>y"), "<![CDATA[x]]]]><![CDATA[>y]]>");
}

}  // namespace
}  // namespace zirvo
