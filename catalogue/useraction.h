#pragma once
// A user action (a click, a key, a tab shown) whose remote calls may raise:
// the error goes to the general error report and the program goes on, as
// when no routine catches it.

#include "remote/remotecall.h"

#include <QString>

#include <exception>

namespace tarsel {

template <class F> void ReportingErrors(F &&action)
{
    try {
        action();
    } catch (const std::exception &e) {
        ReportUnhandledError(QString::fromUtf8(e.what()));
    }
}

}  // namespace tarsel
