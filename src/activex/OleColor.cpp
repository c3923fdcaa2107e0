#include "activex/OleColor.h"

std::optional<int32_t> TranslateOleColor(uint32_t color, const SystemColorSource& systemColor) {
    switch (color >> 24) {
        case 0x00:
        case 0x02:
            return static_cast<int32_t>(color & 0xFFFFFF);
        case 0x80:
            // The index is the low word; anything above it makes no colour.
            if ((color & 0x00FF0000) != 0 || !systemColor)
                return std::nullopt;
            return systemColor(static_cast<int>(color & 0xFFFF));
        default:
            return std::nullopt;
    }
}

std::optional<int32_t> RowColorArgument(uint32_t color, const SystemColorSource& systemColor) {
    if (color == 0xFFFFFFFF || color == 0x1FFFFFFF)
        return static_cast<int32_t>(color);
    return TranslateOleColor(color, systemColor);
}
