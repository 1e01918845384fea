#pragma once
// The junk-file check the main form's timer runs every ten minutes on the
// main thread: while cleaning notifications are on and six hours or more
// have passed since the last one, it measures the browsers' cache folders,
// and when they hold more than 100 MiB and Purgeon does not run, it reports
// the junk, which shows the junk window unless another notification is up
// (or later, once no full-screen program is in front); a shown window
// records the time. A tick that shows nothing records no time, so the next
// one measures again; its finding goes into the record of findings at most
// once in six hours. Messages keep flowing during the walk and while the window is up,
// so a tick can arrive in the middle of a check: it is skipped.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/path_set.h"
#include "platform/date_time.h"

namespace vigilo {

// A notification needs strictly more junk than this: 100 MiB.
inline constexpr std::int64_t kJunkThreshold = 104857600;
// Hours that must pass between two junk notifications.
inline constexpr double kHoursBetweenJunkNotifications = 6;

class JunkCheck {
public:
    // Shows the junk window for junkSize bytes (for 20 seconds) under the
    // notification busy flag; false when it was not shown.
    using ShowJunkWindow = std::function<bool(std::int64_t junkSize)>;
    using Clock = std::function<DateTime()>;
    // Hands the junk on to be shown by show (now, later or never) and
    // recorded (always when shown now, else only with recordUnlessShown).
    using ReportJunk = std::function<Presentation(std::int64_t junkSize, const std::function<bool()>& show,
                                                  bool recordUnlessShown)>;

    enum class Outcome {
        AlreadyRunning,    // a check is under way: this tick is skipped
        SwitchedOff,       // CacheNotifier is false
        TooSoon,           // less than six hours since the last notification
        Abandoned,         // the application ended during the walk
        NotificationUp,    // another notification window is up (or the window was not shown)
        Waiting,           // the window waits for the full-screen program in front to go
        CompanionRunning,  // Purgeon runs
        LittleJunk,        // 100 MiB or less
        Shown,             // the window was shown and the time recorded
    };

    // The folders to measure, in order, each ending in "\"; asked at each
    // check that gets as far as measuring.
    using Folders = std::function<std::vector<std::string>()>;

    JunkCheck(Folders folders, ShowJunkWindow show, Clock clock = Now);
    // report: how the junk reaches the user; without it, it is shown at once or not at all.
    JunkCheck(Folders folders, ShowJunkWindow show, ReportJunk report, Clock clock = Now);
    // folders: measured in this order, each ending in "\".
    JunkCheck(std::vector<std::string> folders, ShowJunkWindow show, Clock clock = Now);

    // One complete check. Settings of the wrong type throw SettingsError (core/settings_store.h).
    Outcome Run();

private:
    Folders folders_;
    ShowJunkWindow show_;
    ReportJunk report_;
    Clock clock_;
    bool running_ = false;
    std::optional<DateTime> lastRecorded_;  // of a finding not shown at once
};

// The junk in folders (each ending in "\"), added up as MeasureFolder does,
// while the main thread keeps handling its messages: at the first entry and
// then once per step of the tick count. Stops early once the application is
// ending.
std::int64_t MeasureJunk(const std::vector<std::string>& folders);

// The measured folders, in order: Internet cache, Firefox cache, Chrome
// cache, then the cache2 folder of every Firefox profile where Firefox keeps
// it now (local application data), then the Cache folder of every profile of
// Chrome, Edge and Brave. A folder reached twice, in any letter case and
// with or without a trailing "\", is measured once.
std::vector<std::string> JunkFolders(const PathSet& paths);
// JunkFolders with the browser profiles there are now instead of those paths holds.
std::vector<std::string> JunkFoldersNow(const PathSet& paths);

// Whether six whole hours or more lie between last and now, in either
// direction (the clock may have been set back). A stored time that is not a
// number, infinite, or beyond any real date counts as long ago.
bool SixHoursPassed(DateTime last, DateTime now);

}  // namespace vigilo
