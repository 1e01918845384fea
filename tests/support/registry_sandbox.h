#pragma once
// Keeps a unit test program away from the user's real registry: for this
// process only, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are redirected
// (RegOverridePredefKey) to two scratch keys under the real
// HKCU\Software\VigiloTests\Sandbox\<program>, emptied first and deleted
// afterwards. Every thread, and the code under test, sees the scratch keys.
//
// Inside a redirected root every registry view is the same key: Wine sends
// KEY_WOW64_32KEY and KEY_WOW64_64KEY opens to the override as well, and a
// scratch key has no Wow6432Node. Tests of the views of HKLM\SOFTWARE use
// RealLocalMachine.
#include <windows.h>

#include <string>

namespace vigilo::test {

class RegistrySandbox {
public:
    explicit RegistrySandbox(const std::string& program);
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Whether both roots are redirected; when not, nothing is.
    bool Active() const { return active_; }
    // The real HKCU\Software, opened before the redirection.
    HKEY RealUserSoftware() const { return realUserSoftware_; }
    // Where a key of the redirected HKCU really is, below the real HKCU: for
    // other processes, which the redirection does not reach.
    std::string RealUserKeyPath(const std::string& path) const;

    // The sandbox in force, or null.
    static RegistrySandbox* Current();

private:
    friend class RealLocalMachine;

    std::string path_;  // below the real HKCU\Software
    HKEY realUserSoftware_ = nullptr;
    HKEY currentUser_ = nullptr;
    HKEY localMachine_ = nullptr;
    bool active_ = false;
};

// Where a key of this process's HKCU really is, below the real HKCU.
std::string RealUserKeyPath(const std::string& path);

// HKEY_LOCAL_MACHINE is the real key while this lives, for a test of its
// registry views that writes only a key of its own.
class RealLocalMachine {
public:
    RealLocalMachine();
    ~RealLocalMachine();
    RealLocalMachine(const RealLocalMachine&) = delete;
    RealLocalMachine& operator=(const RealLocalMachine&) = delete;
};

}  // namespace vigilo::test
