#pragma once

// The system's clock in local time, where each system has its own call.

#include <ctime>

namespace velcor::fileio {

// `moment` broken down in the local time zone; every field zero when the system cannot tell.
std::tm localTime(std::time_t moment);

}  // namespace velcor::fileio
