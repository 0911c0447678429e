#pragma once

#include "foundation/Object.h"
#include "sharing/core/SHKItem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ns {
class URL;
}
class SHKFormFieldSettings;
class SHKRequest;
class SHKSharer;

// What the sharers that talk to a web service through plain requests share: their service addresses
// (each a configuration key holding "scheme://host[:port][/prefix]"), the sign-in overlay and alert, and
// the reply texts.

// The configured base of the key, without a trailing "/", followed by the path and query.
std::string SHKServiceAddress(std::string_view baseKey, std::string_view pathAndQuery);
ns::Ref<ns::URL> SHKServiceURL(std::string_view baseKey, std::string_view pathAndQuery);

// The same address with the user name and password as its user information, right after "scheme://".
// Every character of either outside letters, digits, "-", "_", "." and "~" is percent-encoded, so that
// nothing in a credential (":", "@", "/", "?", "#") can change where the address leads.
ns::Ref<ns::URL> SHKServiceURLWithCredentials(std::string_view baseKey, const std::string& user,
                                              const std::string& password, std::string_view pathAndQuery);

// Percent-encodes every byte outside letters, digits, "-", "_", "." and "~".
std::string SHKPercentEncodeAll(std::string_view text);

// "Logging In..." on the progress overlay, unless the sharer is quiet.
void SHKShowLoggingIn(const SHKSharer& sharer);
void SHKHideProgress();
// The "Login Error" alert with the message (none when absent) and the button "Close".
void SHKShowLoginError(std::optional<std::string> message);

// The reply's "X-Error" header, looked up without regard to case; nothing without one.
std::optional<std::string> SHKReplyErrorHeader(const SHKRequest& request);

// "username=NAME&password=PASSWORD", each escaped as a query value (nothing as the empty text).
std::string SHKCredentialsQuery(const std::optional<std::string>& user,
                                const std::optional<std::string>& password);

// The share form of a bookmark, for web addresses only: "Title", "Tags", "Notes" (key "text") from the
// item, and the "Shared" switch, off. Nothing for other types (no form).
std::optional<std::vector<ns::Ref<SHKFormFieldSettings>>>
SHKBookmarkShareFormFields(SHKShareType type, const ns::Ref<SHKItem>& item);

// The values of that form as a query, under the names the service gives the title and the notes:
// "url=…&TITLE=…&tags=…&NOTES=…&shared=yes|no".
std::string SHKBookmarkQuery(const SHKItem& item, std::string_view titleName, std::string_view notesName);
