#include "app/ConnectionFailureHook.h"

namespace shoupai {

namespace {

ConnectionFailureHook& installed()
{
    static ConnectionFailureHook hook;
    return hook;
}

} // namespace

void setConnectionFailureHook(ConnectionFailureHook hook)
{
    installed() = std::move(hook);
}

void runConnectionFailureHook(Session& session)
{
    if (installed())
        installed()(session);
}

} // namespace shoupai
