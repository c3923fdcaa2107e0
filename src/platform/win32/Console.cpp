#include "platform/Console.h"

#include <windows.h>

namespace pw {

bool IsOutputTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace pw
