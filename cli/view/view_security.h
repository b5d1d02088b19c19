#pragma once

#include <string>
#include <string_view>
#include <vector>

// The checks that keep the inspector's server to the person who started it:
// a random token in the printed address, and the Host header of a request
// naming this server (so that a page on another site cannot reach it by
// pointing its own name at 127.0.0.1).
namespace sci {

// 32 hex digits from the system's random source.
std::string NewToken();

// Whether `host` (a Host header) names this server: localhost, 127.0.0.1,
// [::1] or one of `allowedNames` (lower case), on any port or none. Any other
// name is refused, so that a page whose own name resolves to 127.0.0.1 gets
// nothing.
bool IsOwnHost(std::string_view host, const std::vector<std::string>& allowedNames);

// Whether a request carries `token`, as its `token` query parameter or as
// `Authorization: Bearer TOKEN`. Either may be empty when absent.
bool CarriesToken(std::string_view queryToken, std::string_view authorization, const std::string& token);

}  // namespace sci
