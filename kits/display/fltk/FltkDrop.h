#ifndef _KITS_DISPLAY_FLTK_DROP_H
#define _KITS_DISPLAY_FLTK_DROP_H

#include <string>
#include <vector>

#include <SupportDefs.h>

namespace BPrivate {

// The local files of a text/uri-list (RFC 2483) as a file manager drags
// them: "file:" URIs, percent-escapes decoded; comments, other schemes
// and other hosts left out. A bare absolute path counts as itself.
std::vector<std::string> FilesOfUriList(const std::string& list);

// Files dropped from outside at a point of the window (window
// coordinates): posted as the protocol's drop, one ref per file whose
// path can be had.
void PostDrop(int32 window, int x, int y, const std::string& uriList);

} // namespace BPrivate

#endif
