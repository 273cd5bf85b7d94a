#include "platform/files/data_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "driver/report.h"
#include "platform/files/executable_path.h"

namespace zelvik {

namespace {

// Whether `path` names something, whatever it is. Only a definite "no such
// entry" counts as absent; an entry that cannot be examined (a folder
// without search permission) counts as present, so that opening it reports
// the real reason.
bool Exists(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR;
}

std::string WorkingFolder()
{
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return "the working folder";
    return buffer.data();
}

}  // namespace

std::string DataFolderBeside(const std::string& executable)
{
    if (executable.empty()) return {};
    const std::filesystem::path bin = std::filesystem::path(executable).parent_path();
    return (bin.parent_path() / "share" / "zelvik").string();
}

std::string InstalledDataFolder() { return DataFolderFor(ExecutablePath()); }

std::string FindDataFileIn(const char* name, const std::string& installedFolder)
{
    if (Exists(name)) return name;
    if (!installedFolder.empty()) {
        const std::string installed = installedFolder + "/" + name;
        if (Exists(installed)) return installed;
        // Started in the installed folder itself, the two places are one.
        const std::string working = WorkingFolder();
        if (working == installedFolder)
            Report("%s: not found in %s", name, installedFolder.c_str());
        else
            Report("%s: not found in %s or in %s", name, working.c_str(), installedFolder.c_str());
    } else {
        Report("%s: not found in %s (the installed data folder is unknown)", name,
               WorkingFolder().c_str());
    }
    return {};
}

std::string FindDataFile(const char* name) { return FindDataFileIn(name, InstalledDataFolder()); }

}  // namespace zelvik
