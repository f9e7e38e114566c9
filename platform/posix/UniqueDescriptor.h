#pragma once

#include <unistd.h>

#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

// Sole owner of one file descriptor (-1 for none), closed exactly once.
using UniqueDescriptor = UniqueValue<int, &::close, -1>;

} // namespace Talvane::Nimlo
