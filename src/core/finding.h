#pragma once
// What a watch found, as the user is told of it and as the record of
// findings keeps it: its kind and the name its window gives it.
#include <optional>
#include <string>
#include <string_view>

#include "core/startup_approved.h"

namespace vigilo {

enum class FindingKind { Program, Startup, Extension, Junk };

// What happened to the entry a finding names.
enum class FindingEvent {
    Added,         // new at its place
    Changed,       // there before, and now starts another program
    TurnedBackOn,  // disabled at Windows start-up, and enabled again by another program
};

struct Finding {
    FindingKind kind = FindingKind::Program;
    // The program's or startup entry's name as shown; for an extension "<browser>: <entry found>"; for junk the
    // amount as the junk window shows it.
    std::string name;
    // The name as stored at its place: a value's name, a file's name with its extension, a subkey's name.
    std::string storedName = {};
    // Where it lives: a key with its root and view (KeyPlaceName), or a folder (ending in "\").
    std::string place = {};
    // The full, expanded path of the file it starts, the one its signer line speaks of; empty where there is none.
    std::string program = {};
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
    FindingEvent event = FindingEvent::Added;
    // Its number in the history of findings, once it is there; 0 before.
    long long historyId = 0;
};

// The kind's word in the record: "program", "startup", "extension" or "junk".
const char* FindingKindWord(FindingKind kind);
// The kind a record's word names; empty for any other word.
std::optional<FindingKind> FindingKindOfWord(std::string_view word);

// What became of a finding handed to be shown.
enum class Presentation {
    Shown,    // its window was shown now
    Held,     // it waits for the program in front to go
    Dropped,  // not shown: another window was up, its kind is switched off, or it came while its watch's window was up
};

}  // namespace vigilo
