// Arbitrary bytes read as the control's persisted properties, as a host's document hands them
// over. Besides crashes and sanitizer reports (a length believed before it was checked), it
// checks that whatever loads is sound and that saving it is stable: read again, the saved bytes
// save as themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "activex/ControlProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const std::optional<PersistedProperties> loaded = LoadFromStream(bytes);
    if (!loaded)
        return 0;
    for (const int32_t option : loaded->options)
        if (option < -1 || option > 1)
            std::abort();
    const std::vector<uint8_t> saved = SaveToStream(*loaded);
    const std::optional<PersistedProperties> again = LoadFromStream(saved);
    if (!again || SaveToStream(*again) != saved)
        std::abort();
    return 0;
}
