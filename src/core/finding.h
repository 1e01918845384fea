#pragma once
// What a watch found, as the user is told of it and as the record of
// findings keeps it: its kind and the name its window gives it.
#include <optional>
#include <string>
#include <string_view>

#include "core/startup_approved.h"

namespace vigilo {

enum class FindingKind { Program, Startup, Extension, Junk };

struct Finding {
    FindingKind kind = FindingKind::Program;
    // The program's or startup entry's name; for an extension "<browser>: <entry found>"; for junk the amount as
    // the junk window shows it.
    std::string name;
    // What the window shows besides: a program's publisher and icon file, an extension's browser.
    std::string publisher = {};
    std::string iconPath = {};
    std::string browser = {};
    // Where Windows keeps whether a startup entry starts (a Run value's or a
    // Startup folder file's StartupApproved value); none for other entries.
    std::optional<StartupApprovedTarget> approved = {};
    // Who made it: the file whose signature says so, the window's line about
    // that signature, and the signature as the record keeps it.
    std::string checkedFile = {};
    std::string signerLine = {};
    std::string signer = {};
    // An extension's own name, where its files or registration give one.
    std::string ownName = {};
    // A startup entry that was there before and now starts another program
    // (its window says it changed what it starts, not that it was added).
    bool changed = false;
};

// The kind's word in the record: "program", "startup", "extension" or "junk".
const char* FindingKindWord(FindingKind kind);
// The kind a record's word names; empty for any other word.
std::optional<FindingKind> FindingKindOfWord(std::string_view word);

// What became of a finding handed to be shown.
enum class Presentation {
    Shown,    // its window was shown now
    Held,     // it waits for the program in front to go
    Dropped,  // not shown: another window was up, or its kind is switched off
};

}  // namespace vigilo
