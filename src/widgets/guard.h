#pragma once

#include "base/error.h"
#include "base/facilities.h"

#include <exception>
#include <utility>

namespace korvanta {

// Runs an event handler: a failure it does not catch ends it and goes to the default error report,
// so that no exception crosses the event loop.
template <typename F> void guarded(ErrorReport* report, F&& handler)
{
    try {
        std::forward<F>(handler)();
    } catch (const Error& e) {
        if (report)
            report->report(e.message());
    } catch (const std::exception& e) {
        if (report)
            report->report(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace korvanta
