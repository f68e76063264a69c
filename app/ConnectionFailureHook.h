#pragma once

#include <functional>

namespace shoupai {

class Session;

// What start-up does after telling that the database could not be opened: the
// program shows the database settings there; tests and runs without a desktop
// put their own in (or none). Start-up then goes on with the connection closed.
using ConnectionFailureHook = std::function<void(Session&)>;

void setConnectionFailureHook(ConnectionFailureHook hook);
void runConnectionFailureHook(Session& session);

} // namespace shoupai
