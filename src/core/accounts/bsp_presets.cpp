#include "core/accounts/bsp_presets.h"

#include "core/util/xml_document.h"

namespace zirvo {
namespace {

std::string ChildText(XmlNode parent, const char* name) {
    XmlNode child = parent.FirstChild(name);
    return child ? child.Text() : std::string();
}

}  // namespace

std::vector<BspPreset> LoadBspPresets(const std::string& path) {
    std::vector<BspPreset> presets;
    presets.push_back(BspPreset{kPresetListHead, {}, {}, {}, {}});
    CXmlDocument doc;
    if (!doc.LoadFile(path)) {
        return presets;
    }
    for (XmlNode bsp : doc.SelectNodes("/root/bsp")) {
        presets.push_back(BspPreset{ChildText(bsp, "name"), ChildText(bsp, "blogapitype"),
                                    ChildText(bsp, "encodetype"), ChildText(bsp, "xml-rpc"),
                                    ChildText(bsp, "port")});
    }
    return presets;
}

}  // namespace zirvo
