#include "buffer/Command.h"

#include "platform/StringTable.h"

namespace {
constexpr unsigned kUndefinedCommandText = 9714;
}

CQELPenwrightCommand::CQELPenwrightCommand() : commandText(pw::LoadString(kUndefinedCommandText)) {}
