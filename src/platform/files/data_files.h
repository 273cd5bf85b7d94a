// Finding the show's data files (scene1.bmp, demo.xm): first the working
// folder, where a source build and hand-made variants keep them; then the
// folder an installation puts beside the program (<prefix>/share/zelvik
// for a program in <prefix>/bin on Linux, the program's own folder on
// Windows), found from the executable's own path so that an installed tree
// works wherever it is moved and whichever folder it is started from.
#pragma once

#include <string>

namespace zelvik {

// The data folder of a Unix-style installed tree for an executable at
// `executable`: <folder of the executable>/../share/zelvik, without the
// "..". "" for an empty path.
std::string DataFolderBeside(const std::string& executable);

// The installed data folder of the running program, "" when its
// executable's path is unknown.
std::string InstalledDataFolder();

// The path to open for data file `name`: `name` itself when the working
// folder holds anything by that name (a file there always wins, usable or
// not, so that its loader can say what is wrong with it), else the file in
// `installedFolder` when that holds it. "" when neither does, after one
// line on stderr naming both places looked in.
std::string FindDataFileIn(const char* name, const std::string& installedFolder);

// FindDataFileIn with the running program's installed data folder.
std::string FindDataFile(const char* name);

}  // namespace zelvik
