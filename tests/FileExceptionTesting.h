#pragma once
// The cause of the FileException an operation throws; a test failure when it throws none.
#include <gtest/gtest.h>

#include "platform/FileException.h"

namespace pwtest {

template <class F>
pw::FileException::Cause CauseOf(F operation) {
    try {
        operation();
    } catch (const pw::FileException& e) {
        return e.GetCause();
    }
    ADD_FAILURE() << "no FileException";
    return pw::FileException::Cause::Generic;
}

}  // namespace pwtest
