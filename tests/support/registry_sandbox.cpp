#include "support/registry_sandbox.h"

namespace vigilo::test {
namespace {

RegistrySandbox* current = nullptr;

HKEY CreateKey(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (!parent ||
        RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void CloseKey(HKEY& key) {
    if (key) RegCloseKey(key);
    key = nullptr;
}

}  // namespace

RegistrySandbox::RegistrySandbox(const std::string& program) : path_("VigiloTests\\Sandbox\\" + program) {
    // Wine answers an open of HKCU itself with the predefined handle, which
    // would follow the redirection: hold a real key below it instead.
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &realUserSoftware_);
    if (realUserSoftware_) RegDeleteTreeA(realUserSoftware_, path_.c_str());  // left by a run that crashed
    currentUser_ = CreateKey(realUserSoftware_, path_ + "\\CurrentUser");
    localMachine_ = CreateKey(realUserSoftware_, path_ + "\\LocalMachine");
    if (!currentUser_ || !localMachine_) return;
    if (RegOverridePredefKey(HKEY_CURRENT_USER, currentUser_) != ERROR_SUCCESS) return;
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, localMachine_) != ERROR_SUCCESS) {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        return;
    }
    active_ = true;
    current = this;
}

RegistrySandbox::~RegistrySandbox() {
    if (active_) {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        current = nullptr;
    }
    CloseKey(currentUser_);
    CloseKey(localMachine_);
    if (realUserSoftware_) {
        RegDeleteTreeA(realUserSoftware_, path_.c_str());
        RegDeleteKeyA(realUserSoftware_, path_.c_str());
        // The parents go only when no other program's sandbox is in them.
        RegDeleteKeyA(realUserSoftware_, "VigiloTests\\Sandbox");
        RegDeleteKeyA(realUserSoftware_, "VigiloTests");
    }
    CloseKey(realUserSoftware_);
}

RegistrySandbox* RegistrySandbox::Current() { return current; }

std::string RegistrySandbox::RealUserKeyPath(const std::string& path) const {
    return "Software\\" + path_ + "\\CurrentUser\\" + path;
}

std::string RealUserKeyPath(const std::string& path) { return current ? current->RealUserKeyPath(path) : path; }

RealLocalMachine::RealLocalMachine() {
    if (current) RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
}

RealLocalMachine::~RealLocalMachine() {
    if (current) RegOverridePredefKey(HKEY_LOCAL_MACHINE, current->localMachine_);
}

}  // namespace vigilo::test
