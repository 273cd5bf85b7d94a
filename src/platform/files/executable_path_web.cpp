#include "platform/files/executable_path.h"

namespace zelvik {

// A page has no executable on disk: its data files are put into the working
// folder by the page before the program starts.
std::string ExecutablePath() { return {}; }
std::string DataFolderFor(const std::string&) { return {}; }

}  // namespace zelvik
