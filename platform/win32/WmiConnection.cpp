#include "platform/win32/WmiConnection.h"

#include <utility>

#include "platform/win32/Bstr.h"
#include "platform/win32/ComError.h"
#include "platform/win32/Variant.h"
#include "platform/win32/WideString.h"

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
    WbemResultSet(ComPtr<IEnumWbemClassObject> enumerator, std::string wql)
        : enumerator_(std::move(enumerator))
        , wql_(std::move(wql))
    {}

    std::unique_ptr<WmiObject> Next() override
    {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT result = enumerator_->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.put(), &returned);
        const std::string action = "Reading the results of WMI query \"" + wql_ + "\"";
        ThrowIfFailed(result, action);
        if (returned == 0) {
            return nullptr; // the end of the result set
        }
        ThrowIfFailedOrNull(result, object.get(), action);
        return std::make_unique<WbemObject>(std::move(object));
    }

private:
    ComPtr<IEnumWbemClassObject> enumerator_;
    std::string wql_;
};

} // namespace

WmiConnection::WmiConnection() : com_(COINIT_MULTITHREADED)
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
    const HRESULT connected =
        locator_->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services_.put());
    ThrowIfFailedOrNull(connected, services_.get(), Action("Cannot reach WMI: connecting to root\\cimv2"));
}

std::string WmiConnection::Action(const std::string& action) const
{
    if (SUCCEEDED(security_) || security_ == RPC_E_TOO_LATE) {
        return action;
    }
    std::string text = action;
    text.append(", with COM security not set (HRESULT ").append(HResultText(security_)).append("),");
    return text;
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
    return std::make_unique<WbemResultSet>(std::move(enumerator), wql);
}

} // namespace Talvane::Nimlo
