#include "activex/BorderStyle.h"

std::optional<BorderFrame> BorderFrameOf(int32_t borderStyle) {
    switch (borderStyle) {
        case qelBorderNone:
            return BorderFrame{};
        case qelBorderFlat:
            return BorderFrame{true, false, false};
        case qelBorderStaticEdge:
            return BorderFrame{false, true, false};
        case qelBorderClientEdge:
        case qelBorderFrame:
            return BorderFrame{false, false, true};
        default:
            return std::nullopt;
    }
}
