#pragma once
// A whole-program test of one kind of notification window: Vigilo.exe in a
// folder of its own, its window found by class and driven through its
// controls, and the window's notifier setting read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vigilo::test {

class NotificationProgram : public ::testing::Test {
protected:
    NotificationProgram(const char* windowClass, const char* setting)
        : windowClass_(windowClass), setting_(setting) {}

    // Starts Vigilo and waits until its watches have listed their places.
    // With environment ("NAME=value" entries), Vigilo starts with them and
    // its standard error in a file (VigiloInstall::StartCapturingStandardError).
    void StartVigilo(bool withPurgeon = true, const std::vector<std::string>& environment = {});
    // How many places Vigilo keeps a listing of.
    static DWORD KeptListingCount();
    DWORD Pid() const { return vigilo_->ProcessId(); }
    // The window once it is visible; null on time-out.
    HWND WaitForWindow(DWORD timeoutMs = 15000) const;
    // Whether no window shows for ms.
    bool NoWindowFor(DWORD ms) const;
    // Clicks the control at client point at of form.
    static void Click(HWND form, POINT at);
    // Waits until form is hidden or destroyed.
    static bool Gone(HWND form);
    // A REG_DWORD setting; 99 when missing.
    static DWORD Setting(const char* name);
    // Removes the window's setting, so that a test sees the window write it.
    void ForgetSetting() const;
    // Waits until the window has written its setting, and reads it.
    DWORD WrittenSetting() const;
    // Checks form's title, its place 5 pixels from the right and 60 above the
    // bottom of the 1920 x 1080 screen, its size 400 x height, and topmost.
    static void ExpectPlacedOnTop(HWND form, const char* title, int height);
    // Clicks the link at client point at, reading linkText, and checks that
    // the window goes, Purgeon is started once with arguments, and the
    // window's setting (on since the start) is left as it was.
    void ExpectLinkStartsPurgeon(HWND form, POINT at, const char* linkText, const char* arguments);

    // Starts the stand-in Purgeon from Vigilo's folder; true once its window is up.
    bool StartPurgeon() const;

    CleanSettings settings_;
    std::unique_ptr<VigiloInstall> vigilo_;

private:
    const char* windowClass_;
    const char* setting_;
};

}  // namespace vigilo::test
