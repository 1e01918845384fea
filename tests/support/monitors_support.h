#pragma once
// Test doubles for the watch engine: a place of the test's own whose
// listing, existence and change signals the test drives (no Wine delays), a
// hand-off that records what each round handed to the main thread and can
// hold the watch as a window would, a thread that makes one synchronised
// call, and a way to change the registry from another process.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "monitors/place.h"
#include "monitors/watch.h"
#include "platform/monitor_thread.h"
#include "platform/shared_event.h"
#include "platform/unique_handle.h"

namespace vigilo::test {

// What a FakePlace holds, shared between the test and the watch that owns the place.
class FakePlaceState {
public:
    FakePlaceState();
    // Adds names (in this order) and signals every watch armed on the place.
    void Add(const std::vector<std::string>& names);
    void Remove(const std::string& name);
    // Adds name, or gives it other data, with the hash its listing carries; signals as Add.
    void Write(const std::string& name, std::uint64_t dataHash);
    // The place leaves (its names stay for its return) or comes back.
    void SetExists(bool exists);
    // Runs at each listing, before the names are read (a writer at that moment).
    void OnList(std::function<void()> hook);
    // The next listing misses name, as an enumeration by index misses the
    // entry after one deleted during it.
    void SkipInNextListing(const std::string& name);
    int Listings() const { return listings_; }

private:
    friend class FakePlace;
    friend class FakeWatch;
    mutable std::mutex mutex_;
    bool exists_ = true;
    std::vector<std::string> names_;
    std::map<std::string, std::uint64_t> data_;  // hashes of what Write wrote
    std::vector<HANDLE> armed_;  // the change events of the watches armed now
    std::function<void()> onList_;
    std::string skipped_;
    UniqueKernelHandle appeared_;
    std::atomic<int> listings_{0};
};

// A place named name, kept under "Fake place " + name.
std::unique_ptr<Place> MakeFakePlace(const std::string& name, std::shared_ptr<FakePlaceState> state);

// A hand-off that records every round's report (on the main thread). While
// holding, each report that has findings gets a window end the test sets
// with EndWindow, as a shown window would hold its watch.
class HandOffRecorder {
public:
    HandOff Get();
    std::vector<RoundReport> Reports() const;
    // Every name reported so far, in order; recordOnly marks names that came while held.
    std::vector<std::string> Names() const;
    void SetHolding(bool holding) { holding_ = holding; }
    bool WindowUp() const;
    void EndWindow();
    // Runs on the main thread in each hand-off, before it is recorded.
    std::function<void()> during;
    // Once, while holding: the window ends as soon as it is shown, then this
    // runs, all before the watch's thread can see the end (it wakes late).
    std::function<void()> afterWindowEnd;

private:
    mutable std::mutex mutex_;
    std::vector<RoundReport> reports_;
    std::atomic<bool> holding_{false};
    SharedEvent window_;
};

// A rule that reports every added name.
std::vector<Finding> EveryAddedName(const RoundSight& sight);
// A rule that reports every added name, and every name whose data changed (marked changed).
std::vector<Finding> EveryAddedOrChangedName(const RoundSight& sight);

// The names a key's place lists (its values, by default), in listing order.
std::vector<std::string> ListedNames(HKEY root, const std::string& path, KeyListing listing = KeyListing::Values);
// The names of fresh that older lacks (AddedEntries), in fresh's order.
std::vector<std::string> AddedNames(const std::vector<std::string>& older, const std::vector<std::string>& fresh);

// Creates and resumes a Watch; null when its thread could not be made.
std::unique_ptr<Watch> StartWatch(std::unique_ptr<Place> place, const PlaceSpec& spec, WatchRules rules,
                                  HandOffRecorder& recorder, KeptListingStore* kept);
// Asks each to terminate, waits (pumping messages) until they ended; false on time-out.
bool StopThreads(const std::vector<MonitorThread*>& threads, DWORD timeoutMs = 15000);
// Waits for the thread to end while serving the main thread's calls.
bool WaitForThreadEnd(HANDLE thread, DWORD timeoutMs);

// A thread whose body makes one synchronised call of method, once `ready`
// holds (polled on the thread); then it ends.
class CallingThread : public MonitorThread {
public:
    CallingThread(std::function<bool()> ready, std::function<void()> method);
    ~CallingThread() override;
    bool Called() const { return called_; }

protected:
    void Execute() override;

private:
    std::function<bool()> ready_;
    std::function<void()> method_;
    std::atomic<bool> called_{false};
};

// Runs a command line (e.g. reg.exe) as another process and waits for it.
// Returns its exit code, or -1 when it could not start or did not end.
int RunProcess(const std::string& commandLine, DWORD timeoutMs = 15000);
// "reg.exe add HKCU\<key> /f" from another process (on the key this process
// sees, also inside a registry sandbox).
bool RegAddKey(const std::string& hkcuKey);

}  // namespace vigilo::test
