#pragma once
// The rule of the StartupApproved keys, where Windows keeps whether each Run
// value and Startup folder file starts at log-on: an entry the user had
// disabled that is enabled again (its value no longer says disabled) or
// whose value went while the entry is still there is a startup finding,
// named as the entry's own finding would be. A value that now holds exactly
// what this program last wrote to it was enabled from one of its windows by
// the user, and is no finding. Programs turn themselves back on this way,
// and so does the user in Task Manager: the finding blames no one.
#include <vector>

#include "core/finding.h"
#include "monitors/watch.h"

namespace vigilo {

std::vector<Finding> EntriesTurnedBackOn(const RoundSight& sight);

}  // namespace vigilo
