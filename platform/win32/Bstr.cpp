#include "platform/win32/Bstr.h"

#include "platform/win32/ComError.h"

namespace Talvane::Nimlo {

Bstr ToBstr(const std::string& text)
{
    const int count = MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (count <= 0) {
        throw CAtlException(E_OUTOFMEMORY);
    }
    // `count` includes the terminator; SysAllocStringLen adds its own.
    Bstr result(SysAllocStringLen(nullptr, static_cast<UINT>(count - 1)));
    if (!result) {
        throw CAtlException(E_OUTOFMEMORY);
    }
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, result.get(), count) != count) {
        throw CAtlException(E_OUTOFMEMORY);
    }
    return result;
}

} // namespace Talvane::Nimlo
