#pragma once

#include <windows.h>

#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

// Sole owner of one handle that CreateFileW opened (INVALID_HANDLE_VALUE
// when it did not), closed exactly once.
using UniqueFileHandle = UniqueValue<HANDLE, &::CloseHandle, -1>;

} // namespace Talvane::Nimlo
