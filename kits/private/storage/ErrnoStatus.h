#ifndef _KITS_PRIVATE_ERRNO_STATUS_H
#define _KITS_PRIVATE_ERRNO_STATUS_H

#include <SupportDefs.h>

namespace BPrivate {

// Linux reports errno values; the kits answer with BeOS codes.
status_t StatusFromErrno(int error);

} // namespace BPrivate

#endif
