#include "monitors/junk_check.h"

#include <windows.h>

#include <cmath>

#include "core/companion_running.h"
#include "core/setting_names.h"
#include "core/policy.h"
#include "core/settings_store.h"
#include "monitors/cache_size.h"
#include "platform/file_system.h"
#include "platform/message_loop.h"
#include "platform/scoped_flag.h"

namespace vigilo {

JunkCheck::JunkCheck(Folders folders, ShowJunkWindow show, ReportJunk report, Clock clock)
    : folders_(std::move(folders)), show_(std::move(show)), report_(std::move(report)), clock_(std::move(clock)) {}

JunkCheck::~JunkCheck() { Stop(); }

JunkCheck::Outcome JunkCheck::Run() {
    if (running_) return Outcome::AlreadyRunning;
    // Read at every tick: the junk window's box (or a policy) switches the check off at once.
    if (!NotifierOn(settings::kCacheNotifier)) return Outcome::SwitchedOff;
    const DateTime last = ReadFloat(kSettingsRoot, kSettingsKey, settings::kLastCacheNotification);
    if (!SixHoursPassed(last, clock_())) return Outcome::TooSoon;

    walker_.Join();  // the thread of a walk reported before
    walk_ = std::make_unique<Walk>();
    walk_->folders = folders_();
    const bool started = walker_.Start([walk = walk_.get(), notice = notice_] {
        walk->junk = MeasureJunk(walk->folders, walk->stop);
        walk->ended = true;
        if (notice) notice();
    });
    if (!started) {
        walk_.reset();
        return Outcome::Abandoned;
    }
    running_ = true;
    return Outcome::Walking;
}

std::optional<JunkCheck::Outcome> JunkCheck::WalkEnded() {
    if (!walk_ || !walk_->ended) return std::nullopt;
    walker_.Join();
    const std::unique_ptr<Walk> walk = std::move(walk_);
    // Still under way while it reports: a window's show may handle a tick.
    const ScopedFlag running(running_);
    if (walk->stop || ApplicationTerminated()) return Outcome::Abandoned;
    return Report(walk->junk);
}

void JunkCheck::Stop() {
    if (!walk_) return;
    walk_->stop = true;
    walker_.Join();
    walk_.reset();
    running_ = false;
}

JunkCheck::Outcome JunkCheck::Report(std::int64_t junk) {
    if (IsCompanionRunning()) return Outcome::CompanionRunning;
    if (junk <= kJunkThreshold) return Outcome::LittleJunk;

    // The time is recorded as the window shows, now or after waiting.
    const auto show = [show = show_, clock = clock_, junk] {
        if (!show(junk)) return false;
        WriteFloat(kSettingsRoot, kSettingsKey, settings::kLastCacheNotification, clock());
        return true;
    };
    // A window kept off the screen comes again at every tick: it is recorded once in six hours.
    const DateTime now = clock_();
    const bool recordUnlessShown = !lastRecorded_ || SixHoursPassed(*lastRecorded_, now);
    const Presentation presented = report_ ? report_(junk, show, recordUnlessShown)
                                           : (show() ? Presentation::Shown : Presentation::Dropped);
    if (recordUnlessShown && presented != Presentation::Shown) lastRecorded_ = now;
    if (presented == Presentation::Shown) return Outcome::Shown;
    return presented == Presentation::Held ? Outcome::Waiting : Outcome::NotificationUp;
}

std::int64_t MeasureJunk(const std::vector<std::string>& folders, const std::atomic<bool>& stop) {
    const BeforeEachEntry goOn = [&stop] { return !stop.load(std::memory_order_relaxed); };
    std::int64_t total = 0;
    CountedFolders counted;  // one cache folder may lie inside or behind another
    for (const std::string& folder : folders) {
        if (stop) break;
        total = AddSizes(total, MeasureFolder(folder, goOn, counted));
    }
    return total;
}

std::vector<std::string> JunkFolders(const PathSet& paths) {
    std::vector<std::string> folders;
    auto add = [&folders](const std::string& folder) {
        if (folder.empty()) return;  // a folder the shell does not give
        for (const std::string& taken : folders)
            if (SameFolder(taken, folder)) return;
        folders.push_back(folder);
    };
    for (const std::string& folder : {paths.internetCacheFolder, paths.firefoxCacheFolder, paths.chromeCacheFolder})
        add(folder);
    for (const FirefoxProfile& profile : paths.firefoxProfiles)
        if (!profile.localFolder.empty()) add(profile.localFolder + "cache2\\");
    for (const BrowserProfile& profile : paths.chromiumProfiles) add(profile.folder + "Cache\\");
    return folders;
}

std::vector<std::string> JunkFoldersNow(const PathSet& paths) {
    PathSet now = paths;
    RescanBrowserProfiles(now);
    return JunkFolders(now);
}

bool SixHoursPassed(DateTime last, DateTime now) {
    // Compared as a floating-point number: no conversion to an integer, which
    // a NaN or a huge stored value would make undefined.
    const double hours = std::fabs(now - last) * 24;
    return !(hours < kHoursBetweenJunkNotifications);
}

}  // namespace vigilo
