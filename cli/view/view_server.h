#pragma once

#include <string>

#include "cli/view/view_options.h"
#include "session/query_session.h"

namespace sci {

// Serves the inspector for the scene loaded in `session` on 127.0.0.1 until
// SIGINT or SIGTERM: prints its address with the access token, opens the
// default browser unless told not to (or there is no display), answers the
// page's API calls, and imports the scene again under `import` when its file
// changes. Returns the exit code: 0 after a clean stop, kExitServer when the
// page is not installed or the port cannot be had (reported).
int RunView(QuerySession& session, const std::string& scenePath, const ViewOptions& options,
            const Importing::GuardedImportOptions& import);

}  // namespace sci
