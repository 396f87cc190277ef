#pragma once

#include "base/error.h"

#include <functional>

namespace korvanta::testing {

// The message of the failure the call ends with; empty when it does not fail.
inline QString failureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

} // namespace korvanta::testing
