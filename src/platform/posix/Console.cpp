#include "platform/Console.h"

#include <unistd.h>

namespace pw {

bool IsOutputTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace pw
