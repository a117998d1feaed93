#pragma once
// Hostile XML documents that tests feed to every parser: one internal entity of `entityBytes`
// bytes declared in the internal subset and referenced `references` times inside the document
// text. Small on the wire, gigabytes once every reference is expanded.

#include <string>

namespace zirvo::test {

// `before` + `references` times "&e;" + `after`, under a DOCTYPE for `rootName` that declares
// the entity "e".
std::string EntityExpansionDocument(const std::string& rootName, const std::string& before,
                                    const std::string& after, size_t entityBytes,
                                    size_t references);

// An RSS 2.0 feed of one item whose description holds the references (about 170 KB).
std::string EntityExpansionFeed(size_t entityBytes = 50 * 1024, size_t references = 40000);

// An XML-RPC fault answer whose fault string holds the references (about 220 KB).
std::string EntityExpansionRpcAnswer(size_t entityBytes = 50 * 1024, size_t references = 57000);

}  // namespace zirvo::test
