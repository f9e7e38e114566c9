#pragma once

#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// The text a browser shows for UTF-8 `html` as far as entities go: named
// entities of the page's kind (&reg; &trade; &copy; &amp; &lt; &gt; &quot;
// &apos; &nbsp;) and numeric ones (&#174; &#xAE;) become their characters;
// anything else, tags included, is left as it is. A numeric entity that names
// no character (zero, a surrogate, beyond U+10FFFF) becomes U+FFFD.
std::string DecodeEntities(std::string_view html);

// UTF-8 text made safe inside an HTML element or a quoted attribute: & < > "
// and ' are written as entities.
std::string EscapeHtml(std::string_view text);

} // namespace Talvane::Nimlo
