#pragma once
// The services the services watch saw come without starting with Windows.
// The ten-minute tick compares each service with how it stood at the last
// tick; one that came after that tick and was switched to start with
// Windows before this one is known as such only from this list. Written by
// the watch's thread, read by the tick's.
#include <string>

namespace vigilo {

void RememberServiceAddedNotStartingWithWindows(const std::string& name);
// Whether the watch saw name come without starting with Windows since the
// last take; forgotten either way.
bool TakeServiceAddedNotStartingWithWindows(const std::string& name);

}  // namespace vigilo
