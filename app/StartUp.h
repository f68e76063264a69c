#pragma once

#include <QString>

namespace shoupai {

// Names the application (window class, per-user folder, version) without
// touching any window's caption.
void setApplicationIdentity();

// The process entry: single instance, application title, the login form with
// the session, then the event loop. Returns the exit code.
int runApplication(int argc, char* argv[]);

} // namespace shoupai
