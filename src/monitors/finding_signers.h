#pragma once
// Who signed the programs of a round's findings, as the window's line and
// the record tell it, weighed against the publisher a finding names. Only
// the last findings of a round are looked at (those the window shows and
// the record keeps at the top), so a flood costs no more; their files are
// checked together, and none in the Windows folder (core/checked_file.h).
#include <vector>

#include "core/finding.h"

namespace vigilo {

inline constexpr size_t kSignedFindingsOfARound = 10;

void AddSigners(std::vector<Finding>& findings);

}  // namespace vigilo
