#pragma once

#include <QString>

namespace shoupai {

// The program's title, as the desktop names it where a window has no caption.
inline const QString applicationTitle = QStringLiteral("管理系统");

// Gives the application its title without touching any window's caption.
void setApplicationTitle();

// The process entry: single instance, application title, the login form with
// the session, then the event loop. Returns the exit code.
int runApplication(int argc, char* argv[]);

} // namespace shoupai
