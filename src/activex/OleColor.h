#pragma once
// Colours as automation passes them (OLE_COLOR): an RGB value (0x00bbggrr, or 0x02bbggrr for a
// palette-relative one), or 0x80000000 plus a system colour index, which becomes that system
// colour's RGB value. Row colours also take -1 and 0x1FFFFFFF as they are (the editor reads
// them as "no colour of its own").
#include <cstdint>
#include <functional>
#include <optional>

// The RGB value of a system colour index; nothing for an index the system lacks.
using SystemColorSource = std::function<std::optional<int32_t>(int index)>;

// Nothing for a value that is no colour (an invalid argument to the caller).
std::optional<int32_t> TranslateOleColor(uint32_t color, const SystemColorSource& systemColor);
// The same, with -1 and 0x1FFFFFFF passed through untranslated.
std::optional<int32_t> RowColorArgument(uint32_t color, const SystemColorSource& systemColor);
