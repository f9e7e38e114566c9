#include "platform/win32/WmiConnection.h"

#include <utility>

#include "platform/WmiWait.h"
#include "platform/win32/Bstr.h"
#include "platform/win32/ComError.h"
#include "platform/win32/Variant.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32Clock.h"

namespace Talvane::Nimlo {
namespace {

// The portable view of one result object.
class WbemObject final : public WmiObject {
public:
    explicit WbemObject(ComPtr<IWbemClassObject> object) : object_(std::move(object)) {}

    WmiValue Get(const std::u16string& name) const override
    {
        Variant value;
        const HRESULT fetched = object_->Get(AsWide(name), 0, value.put(), nullptr, nullptr);
        return ToWmiValue(value.get(), fetched);
    }

private:
    ComPtr<IWbemClassObject> object_;
};

// The portable view of a query's enumerator, one object at a time.
class WbemResultSet final : public WmiResultSet {
public:
    WbemResultSet(ComPtr<IEnumWbemClassObject> enumerator, std::string wql, Clock& clock, const Deadline& deadline)
        : enumerator_(std::move(enumerator))
        , wql_(std::move(wql))
        , clock_(&clock)
        , deadline_(deadline)
    {}

    std::unique_ptr<WmiObject> Next() override
    {
        return NextBefore(deadline_, *clock_, [this](std::uint32_t milliseconds) { return WaitFor(milliseconds); });
    }

private:
    WmiSlice WaitFor(std::uint32_t milliseconds)
    {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT result = enumerator_->Next(static_cast<LONG>(milliseconds), 1, object.put(), &returned);
        if (result == WBEM_S_TIMEDOUT) {
            return {nullptr, true};
        }
        const std::string action = "Reading the results of WMI query \"" + wql_ + "\"";
        ThrowIfFailed(result, action);
        if (returned == 0) {
            return {}; // the end of the result set
        }
        ThrowIfFailedOrNull(result, object.get(), action);
        return {std::make_unique<WbemObject>(std::move(object)), false};
    }

    ComPtr<IEnumWbemClassObject> enumerator_;
    std::string wql_;
    Clock* clock_;
    Deadline deadline_;
};

// WBEM_FLAG_CONNECT_USE_MAX_WAIT, which bounds ConnectServer to two minutes,
// is known from Windows Vista and Server 2008 on; before, the collection's
// deadline bounds the connection.
LONG ConnectFlags()
{
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwMajorVersion = 6;
    const DWORDLONG condition = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION, condition) ? WBEM_FLAG_CONNECT_USE_MAX_WAIT : 0;
}

Win32Clock& SystemClock()
{
    static Win32Clock clock;
    return clock;
}

} // namespace

WmiConnection::WmiConnection() : WmiConnection(SystemClock(), Deadline{SystemClock().Ticks(), UINT32_MAX}) {}

WmiConnection::WmiConnection(Clock& clock, const Deadline& deadline)
    : clock_(&clock)
    , deadline_(deadline)
    , com_(COINIT_MULTITHREADED)
{
    // Process-wide defaults for the calls to WMI. RPC_E_TOO_LATE means the
    // process has set its security already; any other failure leaves COM's
    // defaults, and a call they do not allow fails below with its own code,
    // and says that the security could not be set.
    security_ = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                     RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);

    const HRESULT created =
        CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_ALL, IID_IWbemLocator, PutVoid(locator_));
    ThrowIfFailedOrNull(created, locator_.get(), Action("Cannot reach WMI: creating the WMI locator"));

    const Bstr nameSpace = ToBstr("root\\cimv2");
    const HRESULT connected = locator_->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, ConnectFlags(),
                                                      nullptr, nullptr, services_.put());
    ThrowIfFailedOrNull(connected, services_.get(), Action("Cannot reach WMI: connecting to root\\cimv2"));
}

std::string WmiConnection::Action(const std::string& action) const
{
    if (SUCCEEDED(security_) || security_ == RPC_E_TOO_LATE) {
        return action;
    }
    return WithCode(action + ", with COM security not set", SystemCode::HResult(security_)) + ",";
}

WmiConnection::~WmiConnection()
{
    locator_.reset();
    services_.reset();
    // com_ goes last, as the first member.
}

std::unique_ptr<WmiResultSet> WmiConnection::ExecQuery(const std::string& wql)
{
    const Bstr query = ToBstr(wql);
    const Bstr language = ToBstr("WQL");
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT result = services_->ExecQuery(
        language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, enumerator.put());
    ThrowIfFailedOrNull(result, enumerator.get(), Action("WMI query \"" + wql + "\""));
    return std::make_unique<WbemResultSet>(std::move(enumerator), wql, *clock_, deadline_);
}

} // namespace Talvane::Nimlo
