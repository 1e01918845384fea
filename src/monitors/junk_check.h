#pragma once
// The junk-file check the main window's timer runs every ten minutes: while
// cleaning notifications are on and six hours or more have passed since the
// last one, it measures the browsers' cache folders, and when they hold more
// than 100 MiB and Purgeon does not run, it reports the junk, which shows the
// junk window unless another notification is up (or later, once no
// full-screen program is in front); a shown window records the time. A tick
// that shows nothing records no time, so the next one measures again; its
// finding goes into the record of findings at most once in six hours.
//
// The check is split in two around the walk, which may take seconds: Run,
// on the main thread, decides what ends it early and starts the walk on a
// worker thread; the worker, once done, calls the walk-ended notice (the
// main window posts itself a message), and WalkEnded, on the main thread,
// joins it and reports. The main thread handles its messages meanwhile, so
// a tick can arrive in the middle of a check: it is skipped. One walk at a
// time; Stop (and the destructor) ends a walk at its next entry and joins it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/path_set.h"
#include "platform/date_time.h"
#include "platform/worker_thread.h"

namespace vigilo {

// A notification needs strictly more junk than this: 100 MiB.
inline constexpr std::int64_t kJunkThreshold = 104857600;
// Hours that must pass between two junk notifications.
inline constexpr double kHoursBetweenJunkNotifications = 6;

class JunkCheck {
public:
    // Shows the junk window for junkSize bytes under the notification busy
    // flag; false when it was not shown. The time is recorded right after it.
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
        Walking,           // the walk started: WalkEnded tells the rest
        Abandoned,         // the walk was stopped, or no thread could walk
        NotificationUp,    // another notification window is up (or the window was not shown)
        Waiting,           // the window waits for the full-screen program in front to go
        CompanionRunning,  // Purgeon runs
        LittleJunk,        // 100 MiB or less
        Shown,             // the window was shown and the time recorded
    };

    // The folders to measure, in order, each ending in "\"; asked at each
    // check that gets as far as measuring.
    using Folders = std::function<std::vector<std::string>()>;

    // report: how the junk reaches the user; without it, it is shown at once or not at all.
    JunkCheck(Folders folders, ShowJunkWindow show, ReportJunk report = {}, Clock clock = Now);

    ~JunkCheck();
    JunkCheck(const JunkCheck&) = delete;
    JunkCheck& operator=(const JunkCheck&) = delete;

    // Runs on the walking thread when a walk has ended; it must only wake the
    // main thread (post a message), whose handler then calls WalkEnded.
    void SetWalkEndedNotice(std::function<void()> notice) { notice_ = std::move(notice); }

    // The first part of a check, on the main thread: an outcome that ends it
    // early, or Walking once the walk has started. Settings of the wrong type
    // throw SettingsError (core/settings_store.h).
    Outcome Run();
    // The rest of the check once its walk has ended, on the main thread;
    // nothing while no walk has ended (a message from elsewhere). Settings
    // of the wrong type throw SettingsError.
    std::optional<Outcome> WalkEnded();
    // Ends a walk under way at its next entry, without a report, and joins it.
    void Stop();
    // A check is under way: its walk, or its report.
    bool Running() const { return running_; }

private:
    // What the walking thread and the main thread share.
    struct Walk {
        std::vector<std::string> folders;
        std::atomic<bool> stop{false};
        std::atomic<bool> ended{false};
        std::int64_t junk = 0;  // written by the walker before ended
    };
    Outcome Report(std::int64_t junk);

    Folders folders_;
    ShowJunkWindow show_;
    ReportJunk report_;
    Clock clock_;
    std::function<void()> notice_;
    bool running_ = false;
    std::optional<DateTime> lastRecorded_;  // of a finding not shown at once
    std::unique_ptr<Walk> walk_;            // while a walk is under way or unreported
    WorkerThread walker_;                   // last: joined before walk_ goes
};

// The junk in folders (each ending in "\"), added up as MeasureFolder does,
// on the calling thread; ends early, with what was counted so far, once stop
// is set (looked at before every entry).
std::int64_t MeasureJunk(const std::vector<std::string>& folders, const std::atomic<bool>& stop);

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
