// The window-message line any local process of the user may write to the local channel.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/integration/window_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::string why;
    const auto message = zirvo::DecodeWindowMessage(line, &why);
    if (!message) {
        if (why.empty()) {
            std::abort();  // every refusal says why
        }
        return 0;
    }
    // What was accepted reads back as itself.
    const auto again = zirvo::DecodeWindowMessage(zirvo::EncodeWindowMessage(*message));
    if (!again || !(*again == *message)) {
        std::abort();
    }
    (void)zirvo::IsExternalWindowMessage(message->number);
    return 0;
}
