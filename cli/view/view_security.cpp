#include "cli/view/view_security.h"

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

bool IsOwnHost(std::string_view host, int port) {
  const std::string suffix = ":" + std::to_string(port);
  return host == "127.0.0.1" + suffix || host == "localhost" + suffix;
}

bool CarriesToken(std::string_view queryToken, std::string_view authorization, const std::string& token) {
  constexpr std::string_view kBearer = "Bearer ";
  if (!queryToken.empty()) return SameText(queryToken, token);
  return authorization.substr(0, kBearer.size()) == kBearer && SameText(authorization.substr(kBearer.size()), token);
}

}  // namespace sci
