#pragma once
// The control's BorderStyle: which of the three window frame styles each value sets. Values
// outside the table leave the frame as it is.
#include <cstdint>
#include <optional>

// The values, which the type library names for hosts (qelBorderNone ... qelBorderFrame).
namespace BorderStyle {
enum Value : int32_t {
    kNone = 0,
    kFlat = 1,
    kStaticEdge = 2,
    kClientEdge = 3,
    kFrame = 4,  // drawn as the client edge
};
}  // namespace BorderStyle

struct BorderFrame {
    bool border = false;      // WS_BORDER
    bool staticEdge = false;  // WS_EX_STATICEDGE
    bool clientEdge = false;  // WS_EX_CLIENTEDGE
    friend bool operator==(const BorderFrame&, const BorderFrame&) = default;
};

// Nothing for a value outside 0..4: the styles stay unchanged.
std::optional<BorderFrame> BorderFrameOf(int32_t borderStyle);
