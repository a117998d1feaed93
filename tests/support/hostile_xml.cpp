#include "support/hostile_xml.h"

namespace zirvo::test {

std::string EntityExpansionDocument(const std::string& rootName, const std::string& before,
                                    const std::string& after, size_t entityBytes,
                                    size_t references) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE " + rootName +
                      " [\n<!ENTITY e \"" + std::string(entityBytes, 'A') + "\">\n]>\n" + before;
    doc.reserve(doc.size() + references * 3 + after.size());
    for (size_t i = 0; i < references; ++i) {
        doc += "&e;";
    }
    return doc + after;
}

std::string EntityExpansionFeed(size_t entityBytes, size_t references) {
    return EntityExpansionDocument(
        "rss",
        "<rss version=\"2.0\"><channel><title>Bomb</title><item><title>t</title>"
        "<link>http://example.com/a</link><description>",
        "</description></item></channel></rss>", entityBytes, references);
}

std::string EntityExpansionRpcAnswer(size_t entityBytes, size_t references) {
    return EntityExpansionDocument(
        "methodResponse",
        "<methodResponse><fault><value><struct>"
        "<member><name>faultCode</name><value><int>4</int></value></member>"
        "<member><name>faultString</name><value><string>",
        "</string></value></member></struct></value></fault></methodResponse>", entityBytes,
        references);
}

}  // namespace zirvo::test
