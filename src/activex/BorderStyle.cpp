#include "activex/BorderStyle.h"

std::optional<BorderFrame> BorderFrameOf(int32_t borderStyle) {
    switch (borderStyle) {
        case BorderStyle::kNone:
            return BorderFrame{};
        case BorderStyle::kFlat:
            return BorderFrame{true, false, false};
        case BorderStyle::kStaticEdge:
            return BorderFrame{false, true, false};
        case BorderStyle::kClientEdge:
        case BorderStyle::kFrame:
            return BorderFrame{false, false, true};
        default:
            return std::nullopt;
    }
}
