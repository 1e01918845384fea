#pragma once
// The values under the settings key HKEY_CURRENT_USER\Software\Purgeon,
// shared with Purgeon, which reads and writes the same names.
namespace vigilo::settings {

// REG_DWORD 0 keeps Vigilo from starting; created as 1.
inline constexpr const char* kGuardEnabled = "GuardEnabled";
// REG_DWORD 1 to 6: the language file; anything else English.
inline constexpr const char* kLanguage = "Language";
// REG_DWORD booleans: each kind of notification on or off; created as 1.
inline constexpr const char* kNewAppNotifier = "NewAppNotifier";
inline constexpr const char* kNewToolbarNotifier = "NewToolbarNotifier";
inline constexpr const char* kStartupNotifier = "StartupNotifier";
inline constexpr const char* kCacheNotifier = "CacheNotifier";
// Read only: also lets new programs be reported.
inline constexpr const char* kUninstallNotifier = "UninstallNotifier";
// 8-byte REG_BINARY date-time of the last junk notification.
inline constexpr const char* kLastCacheNotification = "LastCacheNotification";

// Vigilo's own values, under HKEY_CURRENT_USER\Software\Purgeon\Vigilo.
// REG_DWORD boolean: every finding is written to the Application event log; 1 when missing.
inline constexpr const char* kEventLog = "EventLog";

}  // namespace vigilo::settings
