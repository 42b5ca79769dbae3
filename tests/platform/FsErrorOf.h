#pragma once
// The error number an action raised through the file-system service, 0 when it raised none.

#include "platform/RuntimeError.h"

#include <functional>

namespace pelto::test {

inline qint32 errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace pelto::test
