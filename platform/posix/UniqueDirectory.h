#pragma once

#include <dirent.h>

#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

// Sole owner of one directory stream that opendir opened, closed exactly once.
using UniqueDirectory = UniqueValue<DIR*, &::closedir>;

} // namespace Talvane::Nimlo
