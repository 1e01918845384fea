#pragma once
// The guard around every unit test program. Before the first test it places
// a marker value in the user's real HKEY_CURRENT_USER\Software\Purgeon (the
// settings shared with Purgeon), notes every value there, and redirects the
// registry to scratch keys (RegistrySandbox). After the last test it undoes
// the redirection, fails the run if a value of the user's changed, and takes
// its marker out again.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "support/registry_sandbox.h"

namespace vigilo::test {

inline constexpr char kUserSettingsKey[] = "Software\\Purgeon";
inline constexpr char kUserSettingsMarker[] = "VigiloTestsMarker";

class UserSettingsGuard : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // The marker's text while the tests run.
    static const std::string& Marker();

private:
    // Every value of the key: name -> type and data.
    using Values = std::map<std::string, std::pair<DWORD, std::string>>;
    static Values ReadValues(HKEY key);

    std::unique_ptr<RegistrySandbox> sandbox_;
    Values before_;
    bool createdKey_ = false;
};

// The marker as it is in the user's real settings right now.
std::string RealUserSettingsMarker();

}  // namespace vigilo::test
