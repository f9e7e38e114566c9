#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string>

#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

// Sole owner of one COM string, freed exactly once.
using Bstr = UniqueValue<BSTR, &::SysFreeString>;

// Converts narrow text in the thread's ANSI code page. An empty text gives a
// string of length 0. Throws CAtlException(E_OUTOFMEMORY) when the string
// cannot be made.
Bstr ToBstr(const std::string& text);

} // namespace Talvane::Nimlo
