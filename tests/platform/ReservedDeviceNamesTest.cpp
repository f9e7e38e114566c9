#include "platform/ReservedDeviceNames.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(ReservedDeviceNamesTest, DevicesWhateverTheirCaseAndExtension)
{
    for (const std::u16string_view name : {u"NUL", u"nul", u"nul.html", u"Con .htm", u"aux.tar.gz", u"COM1",
                                           u"lpt9.html", u"CONIN$", u"conout$.txt", u"prn."}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << std::string(name.begin(), name.end());
    }
    for (const std::u16string_view name : {u"", u"null", u"nul_.html", u"COM0", u"COM10", u"LPT", u"xcon.html",
                                           u"report.html", u"CONSOLE", u"\u00C7ON"}) {
        EXPECT_FALSE(IsReservedDeviceName(name)) << std::string(name.begin(), name.end());
    }
}

} // namespace
} // namespace Talvane::Nimlo
