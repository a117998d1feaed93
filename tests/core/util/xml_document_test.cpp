#include "core/util/xml_document.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "core/util/files.h"
#include "core/util/text_codec.h"
#include "support/test_env.h"

namespace zirvo {
namespace {

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/zirvo-xml-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~ScratchDir() { std::filesystem::remove_all(m_path); }
    std::string File(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

TEST(NodePathTest, NumericPredicatesCountFromZero) {
    EXPECT_EQ(TranslateNodePath("/rss/channel/item[0]/title"), "/rss/channel/item[1]/title");
    EXPECT_EQ(TranslateNodePath("/a/b[12]/c[ 3 ]"), "/a/b[13]/c[4]");
    EXPECT_EQ(TranslateNodePath("/error/msg[id=\"7001\"]/pos"), "/error/msg[id=\"7001\"]/pos");
    // A bracket inside a quoted literal is text, not a predicate.
    EXPECT_EQ(TranslateNodePath("/a[name='x[0]']/b[1]"), "/a[name='x[0]']/b[2]");
}

TEST(XmlDocumentTest, SelectsByZeroBasedIndexAndChildText) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory(
        "<error><msg><id>1</id><pos>0</pos></msg><msg><id>7001</id><pos>2</pos></msg></error>"));
    EXPECT_EQ(doc.SelectNode("/error/msg[0]/id").Text(), "1");
    EXPECT_EQ(doc.SelectNode("/error/msg[1]/id").Text(), "7001");
    EXPECT_TRUE(doc.SelectNode("/error/msg[2]").IsNull());
    EXPECT_EQ(doc.SelectNode("/error/msg[id=\"7001\"]/pos").Text(), "2");
    EXPECT_TRUE(doc.SelectNode("/error/msg[id=\"9\"]/pos").IsNull());
    EXPECT_EQ(doc.SelectNodes("/error/msg").size(), 2u);
    XmlNode second = doc.SelectNode("/error/msg[1]");
    EXPECT_EQ(second.SelectNode("pos").Text(), "2");
}

TEST(XmlDocumentTest, ReadsDeclaredGbEncodingAsUtf8) {
    std::string utf8 = "<?xml version=\"1.0\" encoding=\"GB2312\"?><r><t>中文标题</t></r>";
    std::string gb = Utf8ToGb18030(utf8);
    ASSERT_NE(gb, utf8);
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory(gb));
    EXPECT_EQ(doc.SelectNode("/r/t").Text(), "中文标题");
}

TEST(XmlDocumentTest, EntitiesAndCDataAreResolved) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory("<r><a>x &amp; y &lt;z&gt;</a><b><![CDATA[<p>hi</p>]]></b></r>"));
    EXPECT_EQ(doc.SelectNode("/r/a").Text(), "x & y <z>");
    EXPECT_EQ(doc.SelectNode("/r/b").Text(), "<p>hi</p>");
}

TEST(XmlDocumentTest, RejectsBrokenInputWithoutCrashing) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.LoadMemory(""));
    EXPECT_FALSE(doc.LoadMemory("<html><body><p>not closed</body>"));
    EXPECT_FALSE(doc.LoadMemory("\x01\x02\x03"));
    EXPECT_FALSE(doc.LastError().empty());
    EXPECT_FALSE(doc.LoadFile("/nonexistent/file.xml"));
    EXPECT_TRUE(doc.SelectNode("/a").IsNull());
}

TEST(XmlDocumentTest, ExternalEntitiesAreNotLoaded) {
    ScratchDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir.File("secret.txt"), "TOPSECRET"));
    std::string doc = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY s SYSTEM \"file://" +
                      dir.File("secret.txt") + "\">]><r>&s;</r>";
    CXmlDocument xml;
    if (xml.LoadMemory(doc)) {
        EXPECT_EQ(xml.SelectNode("/r").Text().find("TOPSECRET"), std::string::npos);
    }
}

TEST(XmlDocumentTest, SetTextEscapesAndRoundTrips) {
    ScratchDir dir;
    CXmlDocument doc;
    XmlNode root = doc.CreateRoot("app");
    root.AppendChild("title", "a < b & \"c\" 中文");
    root.AppendChild("ctrl", std::string("bell\x07here"));
    XmlNode body = root.AppendChild("body");
    body.SetCData("before ]]> after ]]>");
    root.SetAttribute("text", "<x>&");
    ASSERT_TRUE(doc.SaveFile(dir.File("out.xml")));

    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dir.File("out.xml"), bytes));
    EXPECT_NE(bytes.find("encoding=\"UTF-8\""), std::string::npos);

    CXmlDocument back;
    ASSERT_TRUE(back.LoadFile(dir.File("out.xml"))) << back.LastError();
    EXPECT_EQ(back.SelectNode("/app/title").Text(), "a < b & \"c\" 中文");
    EXPECT_EQ(back.SelectNode("/app/ctrl").Text(), "bellhere");
    EXPECT_EQ(back.SelectNode("/app/body").Text(), "before ]]> after ]]>");
    EXPECT_EQ(back.Root().Attribute("text"), "<x>&");
}

TEST(XmlDocumentTest, SerializesUnderTheNamedEncoding) {
    CXmlDocument doc;
    doc.CreateRoot("r").AppendChild("t", "博客");
    std::string gb = doc.Serialize("GB2312", false);
    EXPECT_NE(gb.find("encoding=\"GB2312\""), std::string::npos);
    EXPECT_NE(gb.find(Utf8ToGb18030("博客")), std::string::npos);
    CXmlDocument back;
    ASSERT_TRUE(back.LoadMemory(gb));
    EXPECT_EQ(back.SelectNode("/r/t").Text(), "博客");
}

TEST(XmlDocumentTest, MovesNodesButNeverIntoTheirOwnSubtree) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadMemory("<b><o t=\"1\"><o t=\"1a\"/></o><o t=\"2\"/></b>"));
    XmlNode first = doc.SelectNode("/b/o[0]");
    XmlNode second = doc.SelectNode("/b/o[1]");
    XmlNode inner = doc.SelectNode("/b/o[0]/o[0]");
    EXPECT_FALSE(first.MoveInto(inner));
    EXPECT_FALSE(first.MoveBefore(inner));
    EXPECT_TRUE(second.MoveBefore(first));
    EXPECT_EQ(doc.SelectNode("/b/o[0]").Attribute("t"), "2");
    EXPECT_TRUE(second.MoveInto(inner));
    EXPECT_EQ(doc.SelectNode("/b/o[0]/o[0]/o[0]").Attribute("t"), "2");
    inner.Remove();
    EXPECT_TRUE(doc.SelectNode("/b/o[0]/o").IsNull());
}

TEST(XmlDocumentTest, FailedSaveKeepsTheOldFile) {
    ScratchDir dir;
    std::string path = dir.File("keep.xml");
    ASSERT_TRUE(WriteFileAtomic(path, "<old/>"));
    CXmlDocument doc;
    doc.CreateRoot("new");
    EXPECT_FALSE(doc.SaveFile(dir.File("missing-folder/keep.xml")));
    std::filesystem::permissions(
        dir.File(""), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    {
        test::CPermissionsBind bind;
        EXPECT_TRUE(bind.Active()) << bind.Reason();
        EXPECT_FALSE(doc.SaveFile(path));
    }
    std::filesystem::permissions(dir.File(""), std::filesystem::perms::owner_all);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, "<old/>");
}

}  // namespace
}  // namespace zirvo
