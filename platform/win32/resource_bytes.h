#pragma once

#include "core/text.h"

namespace nimbrel::win32 {

// The bytes of an RCDATA resource of the executable; empty when it is missing.
Bytes LoadResourceBytes(int resourceId);

}  // namespace nimbrel::win32
