// The subscription hand-over string a second start of the program passes on.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/integration/hand_over.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zirvo::ParseHandOverString(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
