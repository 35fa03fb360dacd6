#ifndef _KITS_PRIVATE_BOOT_PATHS_H
#define _KITS_PRIVATE_BOOT_PATHS_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// BeOS programs name their folders by /boot paths. Where such a path does
// not exist as such on this machine, it stands for the matching Linux
// folder: /boot/home/config/bin is ~/.local/bin (or, lacking the entry
// there, the bin folder of the prefix this program is installed in),
// /boot/home/config/settings is $XDG_CONFIG_HOME, /boot/home is $HOME.
// Any other path is returned unchanged.
std::string TranslateBootPath(const char* path);

// $HOME, $XDG_CONFIG_HOME and $XDG_DATA_HOME with their usual defaults;
// read at every call, so that a changed environment is honoured.
std::string HomeFolder();
std::string ConfigFolder();
std::string DataFolder();
// $XDG_CONFIG_DIRS, most important first (/etc/xdg where it is unset);
// relative entries are ignored.
std::vector<std::string> ConfigDirectories();

// Creates a folder and its missing parents with the given mode.
status_t CreateFolders(const std::string& path, mode_t mode = 0700);

} // namespace BPrivate

#endif // _KITS_PRIVATE_BOOT_PATHS_H
