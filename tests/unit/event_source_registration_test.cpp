// Vigilo.exe /register-event-source and /unregister-event-source, as
// Purgeon's installer runs them, against the sandbox's HKLM.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "core/event_source_registration.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

const char* const kSourceKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Vigilo";

// The source's EventMessageFile as stored, REG_EXPAND_SZ; "missing" for none or another type.
std::string MessageFile() {
    wchar_t text[1024] = {};
    DWORD type = 0, size = sizeof(text);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, Utf16(kSourceKey).c_str(), L"EventMessageFile",
                     RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, text, &size) != ERROR_SUCCESS)
        return "missing";
    return Utf8(text);
}

class EventSourceCommands : public ::testing::Test {
protected:
    void TearDown() override { DeleteKeyTree(HKEY_LOCAL_MACHINE, kSourceKey); }
};

}  // namespace

TEST_F(EventSourceCommands, RegisterNamesVigiloItselfAndUnregisterRemovesTheWholeKey) {
    EXPECT_EQ(RunCommandLineCommand({"/register-event-source"}), 0);
    EXPECT_EQ(MessageFile(), ProgramPath());
    DWORD types = 0;
    EXPECT_TRUE(GetDword(HKEY_LOCAL_MACHINE, kSourceKey, "TypesSupported", types));
    EXPECT_EQ(types, 7u);
    // Registered again once Vigilo moved: the same key, rewritten.
    EXPECT_EQ(RegisterVigiloEventSource("C:\\Program Files\\Purgeon\\Vigilo.exe").exitCode, 0);
    EXPECT_EQ(MessageFile(), "C:\\Program Files\\Purgeon\\Vigilo.exe");

    SetDword(HKEY_LOCAL_MACHINE, std::string(kSourceKey) + "\\Added by someone", "Value", 1);
    EXPECT_EQ(RunCommandLineCommand({"/UNREGISTER-EVENT-SOURCE"}), 0);
    EXPECT_EQ(MessageFile(), "missing");
    EXPECT_FALSE(GetDword(HKEY_LOCAL_MACHINE, kSourceKey, "TypesSupported", types));
    EXPECT_EQ(RunCommandLineCommand({"/unregister-event-source"}), 0) << "nothing left to remove";
    EXPECT_EQ(RunCommandLineCommand({"/register-event-source", "extra"}), 2);
}

TEST_F(EventSourceCommands, ARegistryThatRefusesGivesItsErrorAsExitCodeAndAMessageNamingTheKey) {
    // The fault: a machine root that is no open key.
    const HKEY broken = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7ff00004));
    const CommandOutcome registered = RegisterVigiloEventSource("C:\\Vigilo\\Vigilo.exe", broken);
    EXPECT_EQ(registered.exitCode, ERROR_INVALID_HANDLE);
    EXPECT_NE(registered.message.find("HKLM\\" + std::string(kSourceKey)), std::string::npos) << registered.message;
    const CommandOutcome unregistered = UnregisterVigiloEventSource(broken);
    EXPECT_EQ(unregistered.exitCode, ERROR_INVALID_HANDLE);
    EXPECT_NE(unregistered.message.find("HKLM\\" + std::string(kSourceKey)), std::string::npos) << unregistered.message;
}
