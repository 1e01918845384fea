#pragma once
// The class names and titles of Vigilo's windows. Purgeon, scripts and
// accessibility tools find the windows by them, so they stay as they are
// whatever the code calls the windows.
namespace vigilo::window_classes {

// The hidden main window, found by Purgeon while Vigilo runs.
inline constexpr const char* kMain = "TForm1";
inline constexpr const char* kMainTitle = "Vigilo";
inline constexpr const char* kNewProgram = "TForm2a";
inline constexpr const char* kNewProgramTitle = "New program notification";
inline constexpr const char* kExtension = "TForm2b";
inline constexpr const char* kExtensionTitle = "Extension notification";
inline constexpr const char* kStartup = "TForm2c";
inline constexpr const char* kStartupTitle = "Startup notification";
inline constexpr const char* kJunk = "TForm2d";
inline constexpr const char* kJunkTitle = "Cache notifications";
inline constexpr const char* kInfo = "TForm3";
inline constexpr const char* kInfoTitle = "Information";
inline constexpr const char* kFindings = "TVigiloFindings";

}  // namespace vigilo::window_classes
