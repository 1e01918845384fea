#pragma once
// What a watch found, as the user is told of it and as the record of
// findings keeps it: its kind and the name its window gives it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/setting_names.h"
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
    // Junk: how many bytes the caches hold.
    std::int64_t bytes = 0;
    // Where Windows keeps whether a startup entry starts (a Run value's or a
    // Startup folder file's StartupApproved value); none for other entries.
    std::optional<StartupApprovedTarget> approved = {};
    // Who made it: the window's line about its program's signature, and the
    // signature as the record keeps it.
    std::string signerLine = {};
    std::string signer = {};
    // An extension's own name, where its files or registration give one.
    std::string ownName = {};
    FindingEvent event = FindingEvent::Added;
    // Its window is held back while Purgeon runs (Purgeon itself changes the
    // Run keys and the Startup folders); it is recorded all the same.
    bool quietWhilePurgeonRuns = false;
    // Its number in the history of findings, once it is there; 0 before.
    long long historyId = 0;
};

// What the program knows of each finding kind: its word in the record; the
// notifier setting (created as 1 at start) that starts the watches of its
// group and lets its windows show, and is written by its window's don't-show
// box; another setting that lets its windows show too, where there is one.
struct FindingKindFacts {
    FindingKind kind;
    const char* word;
    const char* setting;
    const char* alsoShownBy;
};
inline constexpr FindingKindFacts kFindingKinds[] = {
    {FindingKind::Program, "program", settings::kNewAppNotifier, settings::kUninstallNotifier},
    {FindingKind::Startup, "startup", settings::kStartupNotifier, nullptr},
    {FindingKind::Extension, "extension", settings::kNewToolbarNotifier, nullptr},
    {FindingKind::Junk, "junk", settings::kCacheNotifier, nullptr},
};
constexpr const FindingKindFacts& FactsOf(FindingKind kind) {
    for (const FindingKindFacts& facts : kFindingKinds)
        if (facts.kind == kind) return facts;
    return kFindingKinds[0];
}

// name with each NUL in it written visibly as "\0": a name that holds one
// (written through the native API, as some malware hides itself) is shown
// whole, never cut at the NUL into the name of another entry.
std::string VisibleName(std::string_view name);

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
