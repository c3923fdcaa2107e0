#include "platform/Profile.h"

#include <sys/stat.h>
#include <cstdlib>

#include "platform/CodePage.h"

namespace pw {

namespace {

// $XDG_CONFIG_HOME when it is an absolute path, as the base directory rules ask; else ~/.config.
std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return home && home[0] == '/' ? std::string(home) + "/.config" : std::string();
}

// Settings are private to the user, so folders we make are too.
void MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos)
            return;
    }
}

}  // namespace

// Without a home folder or with a path that is not UTF-8, the path stays empty and every read
// and write of the profile fails instead of landing somewhere unexpected.
std::unique_ptr<Profile> MakeSystemProfile() {
    std::string home = ConfigHome();
    std::wstring path;
    if (home.empty() || !Utf8ToUtf16(home + "/penwright/profile.ini", path))
        return std::make_unique<IniFileProfile>(L"");
    MakeFolders(home + "/penwright");
    return std::make_unique<IniFileProfile>(path);
}

}  // namespace pw
