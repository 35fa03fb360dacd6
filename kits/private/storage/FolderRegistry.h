#ifndef _KITS_PRIVATE_FOLDER_REGISTRY_H
#define _KITS_PRIVATE_FOLDER_REGISTRY_H

#include <string>

#include <SupportDefs.h>

namespace BPrivate {

// An entry_ref names its folder by device and inode, which Linux cannot
// turn back into a path. Every folder that a ref is made for is noted
// here with its absolute path (the device as the ref's 32 bits); a lookup checks that the path still leads
// to that node, so a moved or deleted folder is not mistaken for another.
void RememberFolder(dev_t device, ino_t node, const std::string& path);
status_t FolderPath(dev_t device, ino_t node, std::string* path);

} // namespace BPrivate

#endif // _KITS_PRIVATE_FOLDER_REGISTRY_H
