#pragma once

// Where the import helper program lives.

#include <string>
#include <vector>

namespace Importing::Import {

// The places looked at for sci-import, first the ones relative to the
// library or program this code is linked into, then where the build tree
// and the installation put it.
std::vector<std::string> ImportHelperCandidates();

// The first candidate that exists; empty when none does.
std::string FindImportHelper();

// What names this build of the import: the build IDs of `helper` and of the
// scene container library, which writes and reads the snapshots.
std::string ImportBuildId(const std::string& helper);

}  // namespace Importing::Import
