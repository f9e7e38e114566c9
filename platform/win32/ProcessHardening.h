#pragma once

namespace Talvane::Nimlo {

// The first thing the entry point does, before anything can load a DLL by
// name or meet a missing drive:
// - DLLs loaded by name come from the system directory only where Windows
//   allows it (ChooseDllSearch), and never from the current directory;
// - the system shows no box of its own for a failed drive or a file it
//   cannot open (a current directory on a removed drive, for one).
// Allocates nothing and cannot fail: what Windows refuses is left as it is.
void HardenProcess() noexcept;

} // namespace Talvane::Nimlo
