#pragma once

#include <windows.h>

#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

// Sole owner of one search that FindFirstFileW began (INVALID_HANDLE_VALUE
// when it did not), ended with FindClose exactly once.
using UniqueFindHandle = UniqueValue<HANDLE, &::FindClose, -1>;

} // namespace Talvane::Nimlo
