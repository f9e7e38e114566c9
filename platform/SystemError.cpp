#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <string_view>

namespace Talvane::Nimlo {
namespace {

struct ErrnoEntry {
    int code;
    std::string_view words;
};

// The errno values a file, a folder or a share can give, in glibc's words
// (strerror's, which this table stands in for: it is not safe on every
// thread). Where two names share a number the first entry says it.
constexpr std::array<ErrnoEntry, 36> ErrnoTable{{
    {EPERM, "Operation not permitted"},
    {ENOENT, "No such file or directory"},
    {EINTR, "Interrupted system call"},
    {EIO, "Input/output error"},
    {ENXIO, "No such device or address"},
    {EBADF, "Bad file descriptor"},
    {EAGAIN, "Resource temporarily unavailable"},
    {ENOMEM, "Cannot allocate memory"},
    {EACCES, "Permission denied"},
    {EFAULT, "Bad address"},
    {EBUSY, "Device or resource busy"},
    {EEXIST, "File exists"},
    {EXDEV, "Invalid cross-device link"},
    {ENODEV, "No such device"},
    {ENOTDIR, "Not a directory"},
    {EISDIR, "Is a directory"},
    {EINVAL, "Invalid argument"},
    {ENFILE, "Too many open files in system"},
    {EMFILE, "Too many open files"},
    {ETXTBSY, "Text file busy"},
    {EFBIG, "File too large"},
    {ENOSPC, "No space left on device"},
    {ESPIPE, "Illegal seek"},
    {EROFS, "Read-only file system"},
    {EMLINK, "Too many links"},
    {EPIPE, "Broken pipe"},
    {ENAMETOOLONG, "File name too long"},
    {ENOLCK, "No locks available"},
    {ENOSYS, "Function not implemented"},
    {ENOTEMPTY, "Directory not empty"},
    {ELOOP, "Too many levels of symbolic links"},
    {EOVERFLOW, "Value too large for defined data type"},
    {ENOTSUP, "Operation not supported"},
    {ENOTCONN, "Transport endpoint is not connected"},
    {ETIMEDOUT, "Connection timed out"},
    {ECONNRESET, "Connection reset by peer"},
}};

} // namespace

std::string DescribeCode(SystemCode code, ErrnoWords words)
{
    switch (code.kind) {
    case CodeKind::Win32:
        return "Win32 error " + std::to_string(code.value);
    case CodeKind::HResult: {
        char text[24];
        std::snprintf(text, sizeof text, "HRESULT 0x%08lX", static_cast<unsigned long>(code.value));
        return text;
    }
    case CodeKind::Errno:
        break;
    }
    std::string said = "errno " + std::to_string(code.value);
    if (words == ErrnoWords::LeftOut) {
        return said;
    }
    for (const ErrnoEntry& entry : ErrnoTable) {
        if (static_cast<std::uint32_t>(entry.code) == code.value) {
            return said.append(": ").append(entry.words);
        }
    }
    return said;
}

std::string WithCode(std::string text, std::optional<SystemCode> code)
{
    if (!code) {
        return text;
    }
    if (text.empty()) {
        return DescribeCode(*code);
    }
    return text.append(" (").append(DescribeCode(*code)).append(")");
}

} // namespace Talvane::Nimlo
