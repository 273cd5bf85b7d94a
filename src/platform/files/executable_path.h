// Where the running program's own executable lies. Each system answers
// this differently: the platform table picks the one file that asks it.
#pragma once

#include <string>

namespace zelvik {

// The absolute path of the running executable with symbolic links
// resolved, or "" when the system does not tell.
std::string ExecutablePath();

}  // namespace zelvik
