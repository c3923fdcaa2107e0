#pragma once
// The control's BorderStyle: which of the three window frame styles each value sets. Values
// outside the table leave the frame as it is.
#include <cstdint>
#include <optional>

enum QELPenwrightBorderStyle : int32_t {
    qelBorderNone = 0,
    qelBorderFlat = 1,
    qelBorderStaticEdge = 2,
    qelBorderClientEdge = 3,
    qelBorderFrame = 4,  // drawn as the client edge
};

struct BorderFrame {
    bool border = false;      // WS_BORDER
    bool staticEdge = false;  // WS_EX_STATICEDGE
    bool clientEdge = false;  // WS_EX_CLIENTEDGE
    friend bool operator==(const BorderFrame&, const BorderFrame&) = default;
};

// Nothing for a value outside 0..4: the styles stay unchanged.
std::optional<BorderFrame> BorderFrameOf(int32_t borderStyle);
