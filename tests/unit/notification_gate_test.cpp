// When a finding's window may show: not while Windows says notifications
// are unwelcome or a full-screen program is in front. Meanwhile one finding
// of each kind waits, at most an hour, and the first that came is shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/notification_gate.h"

using namespace vigilo;

namespace {

class Gate : public ::testing::Test {
protected:
    NotificationGate gate_{{[this] { return state_; }, [this] { return fullScreen_; }, [this] { return now_; }}};
    QUERY_USER_NOTIFICATION_STATE state_ = QUNS_ACCEPTS_NOTIFICATIONS;
    bool fullScreen_ = false;
    ULONGLONG now_ = 1000;
    std::vector<std::string> shown_;

    void Hold(FindingKind kind, const std::string& name) {
        gate_.Hold(kind, [this, name] { shown_.push_back(name); });
    }
    // What the end of the unwelcome state shows.
    void ShowDue() {
        if (auto show = gate_.TakeDue()) show();
    }
};

}  // namespace

TEST_F(Gate, EachUnwelcomeStateAndAFullScreenProgramKeepWindowsBack) {
    EXPECT_FALSE(gate_.Unwelcome());
    for (QUERY_USER_NOTIFICATION_STATE state :
         {QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE, QUNS_QUIET_TIME}) {
        state_ = state;
        EXPECT_TRUE(gate_.Unwelcome()) << state;
    }
    for (QUERY_USER_NOTIFICATION_STATE state : {QUNS_NOT_PRESENT, QUNS_ACCEPTS_NOTIFICATIONS}) {
        state_ = state;
        EXPECT_FALSE(gate_.Unwelcome()) << state;
    }
    fullScreen_ = true;
    EXPECT_TRUE(gate_.Unwelcome());
}

TEST_F(Gate, TheFirstThatCameIsShownWhenTheStateEndsTheNewerOfAKindReplacingTheOlder) {
    fullScreen_ = true;
    Hold(FindingKind::Startup, "first startup entry");
    Hold(FindingKind::Junk, "junk");
    Hold(FindingKind::Startup, "second startup entry");
    ShowDue();
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(gate_.Holding());

    fullScreen_ = false;
    ShowDue();
    EXPECT_EQ(shown_, std::vector<std::string>{"junk"});
    EXPECT_FALSE(gate_.Holding()) << "the others only stay in the record";
}

TEST_F(Gate, AFindingThatWaitedAnHourIsLetGoUnseen) {
    state_ = QUNS_PRESENTATION_MODE;
    Hold(FindingKind::Program, "program");
    now_ += 30 * 60 * 1000;
    Hold(FindingKind::Extension, "extension");
    now_ += 30 * 60 * 1000 - 1;
    ShowDue();
    EXPECT_TRUE(gate_.Holding());
    now_ += 1;  // the program has waited an hour
    ShowDue();
    EXPECT_TRUE(gate_.Holding()) << "the extension still waits";
    state_ = QUNS_ACCEPTS_NOTIFICATIONS;
    ShowDue();
    EXPECT_EQ(shown_, std::vector<std::string>{"extension"});
}
