#pragma once

// What an operation of a list session builds as it goes: its result, and the state as it stood
// before, which a cancelled operation puts back. Private to the session's sources.

#include "session/ListSession.h"

#include <string>
#include <system_error>
#include <utility>

namespace velcor::session {

struct ListSession::Run {
    Result result;
    ListState before;
    bool cancelled = false;

    void tell(ShownMessage message) { result.messages.push_back(std::move(message)); }
    void tell(Message message) { tell(shownMessage(message)); }
    void noteCause(std::error_code cause, std::string path = {}) {
        if (!cause) return;
        result.cause = cause;
        result.causePath = std::move(path);
    }
};

}  // namespace velcor::session
