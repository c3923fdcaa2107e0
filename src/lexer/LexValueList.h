#pragma once
// The groups of one condition list of a class, in schema order: each group holds one or more
// strings, one or more class names, or exactly one character set. Groups are shared: a value
// never changes once made, so classes copied from one another hold the same groups.
#include <vector>

#include "platform/RefCounted.h"

class LexValue;

using LexValueList = std::vector<pw::RefPtr<LexValue>>;
