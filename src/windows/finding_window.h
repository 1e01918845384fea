#pragma once
// Where a finding goes to its window: the window of its kind, filled from the
// finding and the number of others its round found with it, and shown under
// the busy rule (notification_host.h). The new-program window stays until
// the user closes it; the others are timed.
#include <cstddef>

#include "core/finding.h"
#include "platform/shared_event.h"

namespace vigilo {

// The event set at the window's end; none when it was not shown.
SharedEvent ShowFindingWindow(const Finding& finding, size_t more);

}  // namespace vigilo
