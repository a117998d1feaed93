#pragma once
// The blog service presets of the new-account wizard, read from BSP.xml.
//
// BSP.xml: root `root`, one `bsp` per known service in display order with the children `name`
// (the text of the preset list), `blogapitype`, `encodetype`, `xml-rpc` (endpoint address) and
// `port`. A `bsp` without some child contributes an empty text for it.
//
// Threading: any thread; the file is read afresh by each call.

#include <string>
#include <vector>

namespace zirvo {

inline constexpr const char* kPresetListHead = "----->预置BSP列表<-----";

struct BspPreset {
    std::string name;
    std::string apiType;
    std::string encodeType;
    std::string xmlrpcUrl;
    std::string port;
};

// The preset list as the wizard shows it: always first the entry "----->预置BSP列表<-----"
// (choosing it means "no preset"), then the services of the file. A missing or unreadable file
// gives only that first entry.
std::vector<BspPreset> LoadBspPresets(const std::string& path);

}  // namespace zirvo
