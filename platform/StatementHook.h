#pragma once

namespace shoupai::statementhook {

// Called after every statement the gateway has run, on any connection.
// Nothing installs one in the program; a test does, to stop a process at a
// chosen statement.
using Hook = void (*)();
void install(Hook hook);

} // namespace shoupai::statementhook
