#include "cli/view/view_security.h"

#include <algorithm>
#include <cctype>
#include <random>

namespace sci {

namespace {

// Compares without stopping at the first difference, so that the time taken
// tells nothing about how much of a guess was right.
bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

}  // namespace

std::string NewToken() {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::random_device random;
  std::string token;
  for (int i = 0; i < 4; ++i) {
    std::uint32_t bits = random();
    for (int j = 0; j < 8; ++j, bits >>= 4) token += kDigits[bits & 15];
  }
  return token;
}

bool IsOwnHost(std::string_view host, const std::vector<std::string>& allowedNames) {
  // A port of any digits, or none: a tunnel forwards another local port.
  std::string_view name = host;
  const std::size_t colon = host.rfind(':');
  if (colon != std::string_view::npos && host.find(']', colon) == std::string_view::npos) {
    const std::string_view port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos) return false;
    name = host.substr(0, colon);
  }
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "localhost" || lower == "127.0.0.1" || lower == "[::1]") return true;
  return std::find(allowedNames.begin(), allowedNames.end(), lower) != allowedNames.end();
}

bool CarriesToken(std::string_view queryToken, std::string_view authorization, const std::string& token) {
  constexpr std::string_view kBearer = "Bearer ";
  if (!queryToken.empty()) return SameText(queryToken, token);
  return authorization.substr(0, kBearer.size()) == kBearer && SameText(authorization.substr(kBearer.size()), token);
}

}  // namespace sci
