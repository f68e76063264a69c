#pragma once

namespace shoupai {

// The process entry: single instance, application title, the login form with
// the session, then the event loop. Returns the exit code.
int runApplication(int argc, char* argv[]);

} // namespace shoupai
