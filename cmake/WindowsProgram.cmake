# How a Windows program of this project is linked: static (no DLL but the
# system's), wide entry point, and a PE header that Windows XP SP3 and Server
# 2003 SP2 accept (operating-system and subsystem version 5.1), with ASLR and
# DEP on.
function(nimlo_windows_program_options target)
  target_link_options(${target} PRIVATE -static -municode
    -Wl,--major-os-version,5,--minor-os-version,1
    -Wl,--major-subsystem-version,5,--minor-subsystem-version,1
    -Wl,--dynamicbase,--nxcompat,--tsaware)
endfunction()
