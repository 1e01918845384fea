#pragma once
// The names by which the extension notifications tell the browsers apart:
// the monitors report them and the extension window shows them and picks
// its logo by them.
namespace vigilo::browsers {

inline constexpr const char* kInternetExplorer = "Internet Explorer";
inline constexpr const char* kFirefox = "Mozilla Firefox";
inline constexpr const char* kChrome = "Google Chrome";
inline constexpr const char* kEdge = "Microsoft Edge";
inline constexpr const char* kBrave = "Brave";

}  // namespace vigilo::browsers
