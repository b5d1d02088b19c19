#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sci {

// Edits (insert, delete, replace, swap of neighbours) that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b);

// Up to `most` of `candidates` nearest to `word`, nearest first: those equal
// to it but for case, then those within a few typing slips (one for each
// four letters, at least one; compared without case). Each appears once, in the order of `candidates` among equals.
std::vector<std::string> NearestWords(std::string_view word, const std::vector<std::string>& candidates,
                                      std::size_t most = 3);

// "'a'", "'a' or 'b'", "'a', 'b' or 'c'".
std::string QuotedList(const std::vector<std::string>& words);

}  // namespace sci
