#pragma once

#include <wbemidl.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/Deadline.h"
#include "platform/Wmi.h"
#include "platform/win32/ComInit.h"
#include "platform/win32/ComPtr.h"

namespace Talvane::Nimlo {

// A connection to WMI's root\cimv2 namespace, with COM initialised as a
// multithreaded apartment on the calling thread for exactly its lifetime.
// Use it from the thread that created it, and let every result set go before
// the connection.
class WmiConnection final : public WmiService {
public:
    // Throws ComError, with the HRESULT, when WMI cannot be reached (also when
    // a call reports success without its object); CAtlException when a COM
    // string cannot be made. Every wait for a query's results ends by
    // `deadline` on `clock` (DeadlinePassed); both must outlive the connection.
    WmiConnection(Clock& clock, const Deadline& deadline);

    // Without a deadline of its own (its waits end after 49 days).
    WmiConnection();
    WmiConnection(const WmiConnection&) = delete;
    WmiConnection& operator=(const WmiConnection&) = delete;

    // Releases the locator, then the services, then ends COM on the thread.
    ~WmiConnection() override;

    // Runs a WQL query, forward only and returning at once. Throws ComError,
    // with the HRESULT, when the query is refused or its results cannot be
    // read.
    std::unique_ptr<WmiResultSet> ExecQuery(const std::string& wql) override;

    // What CoInitializeSecurity returned.
    HRESULT SecurityResult() const noexcept { return security_; }

private:
    // `action` for an error text, with the failure to set COM security, if
    // there was one, that may be why the call failed.
    std::string Action(const std::string& action) const;

    Clock* clock_;
    Deadline deadline_;
    ComInit com_; // COM ends only after both references are gone
    ComPtr<IWbemLocator> locator_;
    ComPtr<IWbemServices> services_;
    HRESULT security_ = S_OK;
};

} // namespace Talvane::Nimlo
