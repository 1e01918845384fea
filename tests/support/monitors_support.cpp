#include "support/monitors_support.h"

#include <algorithm>
#include <utility>

#include "support/registry_sandbox.h"
#include "support/test_support.h"

namespace vigilo::test {

FakePlaceState::FakePlaceState() : appeared_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void FakePlaceState::Add(const std::vector<std::string>& names) {
    std::lock_guard lock(mutex_);
    names_.insert(names_.end(), names.begin(), names.end());
    for (HANDLE event : armed_) SetEvent(event);
}

void FakePlaceState::Remove(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::erase(names_, name);
    for (HANDLE event : armed_) SetEvent(event);
}

void FakePlaceState::Write(const std::string& name, std::uint64_t dataHash) {
    std::lock_guard lock(mutex_);
    if (std::find(names_.begin(), names_.end(), name) == names_.end()) names_.push_back(name);
    data_[name] = dataHash;
    for (HANDLE event : armed_) SetEvent(event);
}

void FakePlaceState::SetExists(bool exists) {
    std::lock_guard lock(mutex_);
    exists_ = exists;
    if (exists) SetEvent(appeared_.get());
    else ResetEvent(appeared_.get());
}

void FakePlaceState::OnList(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    onList_ = std::move(hook);
}

void FakePlaceState::SkipInNextListing(const std::string& name) {
    std::lock_guard lock(mutex_);
    skipped_ = name;
}

class FakeWatch : public PlaceWatch {
public:
    explicit FakeWatch(std::shared_ptr<FakePlaceState> state)
        : state_(std::move(state)), changed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        std::lock_guard lock(state_->mutex_);
        state_->armed_.push_back(changed_.get());
    }
    ~FakeWatch() override {
        std::lock_guard lock(state_->mutex_);
        std::erase(state_->armed_, changed_.get());
    }
    HANDLE Changed() const override { return changed_.get(); }
    void RearmChanged() override { ResetEvent(changed_.get()); }
    HANDLE Signal() const override { return nullptr; }  // looked at every slice
    void Rearm() override {}
    bool Gone() const override {
        std::lock_guard lock(state_->mutex_);
        return !state_->exists_;
    }

private:
    std::shared_ptr<FakePlaceState> state_;
    UniqueKernelHandle changed_;
};

class FakePlace : public Place {
public:
    FakePlace(std::string name, std::shared_ptr<FakePlaceState> state) : name_(std::move(name)), state_(std::move(state)) {}
    std::string KeptName() const override { return "Fake place " + name_; }
    bool Exists() const override {
        std::lock_guard lock(state_->mutex_);
        return state_->exists_;
    }
    bool WaitUntilExists(const MonitorThread& thread, std::atomic<bool>& waiting) const override {
        waiting = true;
        const HANDLE handles[] = {state_->appeared_.get(), thread.TerminateEvent()};
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        waiting = false;
        return result == WAIT_OBJECT_0 && !thread.Terminated();
    }
    std::unique_ptr<PlaceWatch> Watch() const override {
        if (!Exists()) return nullptr;
        return std::make_unique<FakeWatch>(state_);
    }
    Listing List(const Listing&) const override {
        std::function<void()> hook;
        {
            std::lock_guard lock(state_->mutex_);
            hook = state_->onList_;
        }
        if (hook) hook();
        ++state_->listings_;
        std::lock_guard lock(state_->mutex_);
        if (!state_->exists_) return {};
        Listing listing = ListingOf(state_->names_);
        std::erase_if(listing.entries, [&](const ListedEntry& entry) { return entry.name == state_->skipped_; });
        state_->skipped_.clear();
        for (ListedEntry& entry : listing.entries)
            if (const auto it = state_->data_.find(entry.name); it != state_->data_.end()) entry.dataHash = it->second;
        return listing;
    }
    DWORD WaitSliceMs() const override { return 20; }

private:
    std::string name_;
    std::shared_ptr<FakePlaceState> state_;
};

std::unique_ptr<Place> MakeFakePlace(const std::string& name, std::shared_ptr<FakePlaceState> state) {
    return std::make_unique<FakePlace>(name, std::move(state));
}

HandOff HandOffRecorder::Get() {
    return [this](const RoundReport& report) {
        if (during) during();
        std::lock_guard lock(mutex_);
        reports_.push_back(report);
        if (!holding_ || report.findings.empty()) return SharedEvent();
        window_ = SharedEvent::Create();
        if (std::function<void()> after = std::exchange(afterWindowEnd, {})) {
            SharedEvent ended = std::exchange(window_, {});
            ended.Set();
            after();
            return ended;
        }
        return window_;
    };
}

std::vector<RoundReport> HandOffRecorder::Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
}

std::vector<std::string> HandOffRecorder::Names() const {
    std::vector<std::string> names;
    for (const RoundReport& report : Reports())
        for (const Finding& finding : report.findings) names.push_back(finding.name);
    return names;
}

bool HandOffRecorder::WindowUp() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(window_);
}

void HandOffRecorder::EndWindow() {
    std::lock_guard lock(mutex_);
    window_.Set();
    window_ = {};
}

std::vector<Finding> EveryAddedName(const RoundSight& sight) {
    std::vector<Finding> findings;
    for (const ListedEntry& entry : AddedEntries(sight.previous, sight.fresh))
        findings.push_back({FindingKind::Startup, entry.name});
    return findings;
}

std::vector<Finding> EveryAddedOrChangedName(const RoundSight& sight) {
    std::vector<Finding> findings;
    for (const EntryChange& change : AddedOrChangedEntries(sight.previous, sight.fresh)) {
        findings.push_back({FindingKind::Startup, change.entry.name});
        if (change.changed) findings.back().event = FindingEvent::Changed;
    }
    return findings;
}

std::vector<std::string> ListedNames(HKEY root, const std::string& path, KeyListing listing) {
    std::vector<std::string> names;
    for (const ListedEntry& entry : MakeKeyPlace({root, path}, listing, KeyChanges::Subtree)->List({}).entries)
        names.push_back(entry.name);
    return names;
}

std::vector<std::string> AddedNames(const std::vector<std::string>& older, const std::vector<std::string>& fresh) {
    std::vector<std::string> names;
    for (const ListedEntry& entry : AddedEntries(ListingOf(older), ListingOf(fresh))) names.push_back(entry.name);
    return names;
}

std::unique_ptr<Watch> StartWatch(std::unique_ptr<Place> place, const PlaceSpec& spec, WatchRules rules,
                                  HandOffRecorder& recorder, KeptListingStore* kept) {
    auto watch = std::make_unique<Watch>(std::move(place), spec, rules, recorder.Get(), kept);
    if (!watch->CreateSuspended()) return nullptr;
    watch->Resume();
    return watch;
}

bool WaitForThreadEnd(HANDLE thread, DWORD timeoutMs) {
    return WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

bool StopThreads(const std::vector<MonitorThread*>& threads, DWORD timeoutMs) {
    for (MonitorThread* thread : threads) thread->Terminate();
    bool ended = true;
    for (MonitorThread* thread : threads) ended = WaitForThreadEnd(thread->ThreadHandle(), timeoutMs) && ended;
    return ended;
}

CallingThread::CallingThread(std::function<bool()> ready, std::function<void()> method)
    : ready_(std::move(ready)), method_(std::move(method)) {
    CreateSuspended();
    Resume();
}

CallingThread::~CallingThread() {
    if (ThreadHandle()) WaitForThreadEnd(ThreadHandle(), 30000);
}

void CallingThread::Execute() {
    if (!WaitUntil(ready_, 15000)) return;
    Synchronize(method_);
    called_ = true;
}

int RunProcess(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA si{sizeof(si)};
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

bool RegAddKey(const std::string& hkcuKey) {
    // reg.exe is a process of its own: the registry sandbox does not reach it.
    return RunProcess("reg.exe add \"HKCU\\" + RealUserKeyPath(hkcuKey) + "\" /f") == 0;
}

}  // namespace vigilo::test
