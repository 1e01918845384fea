#include "support/user_settings_guard.h"

#include <cstdio>

#include "support/test_support.h"

namespace vigilo::test {
namespace {

std::string marker;

std::string ProgramName() {
    const std::string folder = BinFolder();
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = std::string(path).substr(folder.size() + 1);
    return name.substr(0, name.find_last_of('.'));
}

std::string DescribeChanges(const std::map<std::string, std::pair<DWORD, std::string>>& before,
                            const std::map<std::string, std::pair<DWORD, std::string>>& after) {
    std::string names;
    for (const auto& [name, value] : before) {
        auto it = after.find(name);
        if (it == after.end())
            names += " " + name + " (deleted)";
        else if (it->second != value)
            names += " " + name + " (changed)";
    }
    for (const auto& [name, value] : after)
        if (!before.count(name)) names += " " + name + " (added)";
    return names;
}

}  // namespace

UserSettingsGuard::Values UserSettingsGuard::ReadValues(HKEY key) {
    Values values;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof(name), type = 0, size = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        nameLength = sizeof(name);
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            break;
        data.resize(size);
        values[name] = {type, data};
    }
    return values;
}

void UserSettingsGuard::SetUp() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kUserSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS)
        << "cannot open HKEY_CURRENT_USER\\" << kUserSettingsKey;
    createdKey_ = disposition == REG_CREATED_NEW_KEY;
    char text[96];
    std::snprintf(text, sizeof(text), "placed by %s, process %lu, tick %lu", ProgramName().c_str(),
                  GetCurrentProcessId(), GetTickCount());
    marker = text;
    RegSetValueExA(key, kUserSettingsMarker, 0, REG_SZ, reinterpret_cast<const BYTE*>(marker.c_str()),
                   static_cast<DWORD>(marker.size() + 1));
    before_ = ReadValues(key);
    RegCloseKey(key);

    sandbox_ = std::make_unique<RegistrySandbox>(ProgramName());
    ASSERT_TRUE(sandbox_->Active()) << "cannot redirect the registry to scratch keys; no test runs";
}

void UserSettingsGuard::TearDown() {
    sandbox_.reset();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserSettingsKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        ADD_FAILURE() << "a test deleted the user's settings key HKEY_CURRENT_USER\\" << kUserSettingsKey;
        return;
    }
    const std::string changes = DescribeChanges(before_, ReadValues(key));
    EXPECT_EQ(changes, "") << "a test changed the user's settings in HKEY_CURRENT_USER\\" << kUserSettingsKey;
    RegDeleteValueA(key, kUserSettingsMarker);
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (createdKey_ && subkeys == 0 && values == 0) RegDeleteKeyExA(HKEY_CURRENT_USER, kUserSettingsKey, KEY_WOW64_64KEY, 0);
    marker.clear();
}

const std::string& UserSettingsGuard::Marker() { return marker; }

std::string RealUserSettingsMarker() {
    RegistrySandbox* sandbox = RegistrySandbox::Current();
    HKEY root = sandbox ? sandbox->RealUserSoftware() : nullptr;
    char text[256] = "";
    DWORD size = sizeof(text);
    if (!root || RegGetValueA(root, "Purgeon", kUserSettingsMarker, RRF_RT_REG_SZ, nullptr, text, &size) !=
                     ERROR_SUCCESS)
        return {};
    return text;
}

}  // namespace vigilo::test
