// What entity references may expand to, and that every shipped file still reads under the cap.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/util/xml_document.h"
#include "support/hostile_xml.h"

namespace zirvo {
namespace {

TEST(XmlEntityCap, LargeEntityReferencedThousandsOfTimesIsRefused) {
    std::string feed = test::EntityExpansionFeed();
    ASSERT_LT(feed.size(), 200u * 1024);
    CXmlDocument doc;
    EXPECT_FALSE(doc.LoadMemory(feed));
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_NE(doc.LastError().find("entity"), std::string::npos) << doc.LastError();
}

TEST(XmlEntityCap, RefusalInsideAttributesAndNestedEntities) {
    // Attribute values and entities made of other entities count as well.
    std::string nested = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"" +
                         std::string(20000, 'x') + "\"><!ENTITY b \"&a;&a;&a;&a;\">]><r t=\"";
    for (int i = 0; i < 20; ++i) {
        nested += "&b;";
    }
    nested += "\">";
    for (int i = 0; i < 20; ++i) {
        nested += "&b;";
    }
    nested += "</r>";
    CXmlDocument doc;
    EXPECT_FALSE(doc.LoadMemory(nested));
}

TEST(XmlEntityCap, ModestEntitiesStillExpand) {
    CXmlDocument doc;
    ASSERT_TRUE(
        doc.LoadMemory("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY co \"Zirvo &amp; Co\">"
                       "<!ENTITY full \"&co; Ltd\">]><r a=\"&co;\"><t>&co; and &full;</t></r>"))
        << doc.LastError();
    EXPECT_EQ(doc.SelectNode("/r/t").Text(), "Zirvo & Co and Zirvo & Co Ltd");
    EXPECT_EQ(doc.Root().Attribute("a"), "Zirvo & Co");
    // Up to the cap the product of one big entity is still read.
    std::string within = test::EntityExpansionDocument("r", "<r>", "</r>", 1000, 1000);
    ASSERT_TRUE(doc.LoadMemory(within)) << doc.LastError();
    EXPECT_EQ(doc.Root().Text().size(), 1000u * 1000);
}

TEST(XmlEntityCap, EveryShippedXmlFileStillLoads) {
    namespace fs = std::filesystem;
    const fs::path data = fs::path(ZIRVO_TEST_SOURCE_DIR) / "data";
    int loaded = 0;
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".xml" && ext != ".opml" && ext != ".xsl")) {
            continue;
        }
        CXmlDocument doc;
        EXPECT_TRUE(doc.LoadFile(entry.path().string())) << entry.path() << ": " << doc.LastError();
        ++loaded;
    }
    EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace zirvo
