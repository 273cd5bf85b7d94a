// Where the running program's own executable lies. Each system answers
// this differently: the platform table picks the one file that asks it.
#pragma once

#include <string>

namespace zelvik {

// The absolute path of the running executable with symbolic links
// resolved, or "" when the system does not tell.
std::string ExecutablePath();

// The folder where this system's installations keep the data files of the
// program at `executable`: <prefix>/share/zelvik beside <prefix>/bin on
// Linux, the program's own folder on Windows (its zip unpacks them there).
// "" for an empty path.
std::string DataFolderFor(const std::string& executable);

}  // namespace zelvik
