#pragma once

#include "core/text.h"

namespace nimbrel::win32 {

// The bytes of an RCDATA resource of the executable; empty when it is missing.
Bytes LoadResourceBytes(int resourceId);

// The .ico file that an ICON resource of the executable was made from, byte for byte; empty
// when the group or one of its images is missing.
Bytes LoadIconFileImage(int groupId);

}  // namespace nimbrel::win32
