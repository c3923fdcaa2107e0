#pragma once
// What the tooltip over a folded block's marker shows: the text the fold hides.
#include <string>

#include "buffer/BufferManager.h"
#include "parser/TextSchemaRows.h"

namespace FoldTooltip {

inline constexpr int kMaxRows = 150;
inline constexpr size_t kMaxLength = 16 * 1024;  // characters: a tip is read, not scrolled

// The block's text from its start to its end (columns 0-based, the end's included) over at most
// kMaxRows rows joined by "\r\n", rows indented like the last row taken without that indentation,
// at most kMaxLength characters. Positions outside the text are taken as its nearest edge.
std::wstring Text(const CQELPenwrightBufferManager& buffer, const CollapsibleBlock& block);

}  // namespace FoldTooltip
