#pragma once
// The language file: an INI file of translations beside the executable,
// chosen once by the Language setting. It is read once and again only when
// it changed (platform/kept_file.h), and every text has a built-in English
// default.
#include <memory>
#include <string>

#include "platform/kept_file.h"
#include "platform/profile_file.h"

namespace vigilo {

// "English.ini", "German.ini", ... for Language 1 to 6; "English.ini" otherwise.
std::string LanguageFileName(int language);

class LanguageTexts {
public:
    LanguageTexts() = default;
    explicit LanguageTexts(const std::string& path);

    const std::string& Path() const;
    // The value of key in section, or the default when the file, section or key is missing.
    std::string Get(const std::string& section, const std::string& key, const std::string& defaultText) const;

private:
    std::shared_ptr<KeptFile<ProfileFile>> file_;  // none: no file chosen; shared by copies
};

// The program's language file object, opened by the main window at creation.
LanguageTexts& Language();

// Every text the program reads, with its section, key and default.
struct TextId {
    const char* section;
    const char* key;
    const char* defaultText;
};
namespace texts {
inline constexpr TextId kTrayLaunch{"Tray", "Launch", "Launch Purgeon"};
inline constexpr TextId kButtonsExit{"Buttons", "Exit", "Exit"};
// The tray menu's record of findings, with the word for each kind.
inline constexpr TextId kTrayRecentFindings{"Tray", "RecentFindings", "Recent findings"};
inline constexpr TextId kTrayRecentNone{"Tray", "RecentNone", "(none)"};
inline constexpr TextId kTrayRecentClear{"Tray", "RecentClear", "Clear recent findings"};
// The submenu's last item, which opens the findings window.
inline constexpr TextId kTrayAllFindings{"Tray", "AllFindings", "All findings\xE2\x80\xA6"};
inline constexpr TextId kTrayKindProgram{"Tray", "KindProgram", "New program"};
inline constexpr TextId kTrayKindStartup{"Tray", "KindStartup", "Startup entry"};
inline constexpr TextId kTrayKindExtension{"Tray", "KindExtension", "Browser extension"};
inline constexpr TextId kTrayKindJunk{"Tray", "KindJunk", "Junk files"};
inline constexpr TextId kInformation{"Messages", "Information", "Information"};
inline constexpr TextId kFileNotFound{"Tray", "FileNotFound", "File Purgeon.exe not found!"};
inline constexpr TextId kButtonsOk{"Buttons", "OK", "OK"};
// The name screen readers give a notification window's close cross.
inline constexpr TextId kButtonsClose{"Buttons", "Close", "Close"};
inline constexpr TextId kNewAppMessage1{"Monitor", "NewAppMessage1", "New installation detected."};
inline constexpr TextId kNewAppMessage2{"Monitor", "NewAppMessage2",
                                        "For more information or to cleanly uninstall the program use"};
inline constexpr TextId kNewAppMessage3{"Monitor", "NewAppMessage3", "Don't show new program notifications"};
inline constexpr TextId kToolbarMessage1{"Monitor", "ToolbarMessage1", "New <BrowserName> Extension installed."};
inline constexpr TextId kToolbarMessage2{"Monitor", "ToolbarMessage2",
                                         "Extensions can be useful add-ons to your browser."};
inline constexpr TextId kToolbarMessage3{
    "Monitor", "ToolbarMessage3",
    "Check with Purgeon for extension name, publisher or to cleanly remove this extension."};
inline constexpr TextId kToolbarMessage4{"Monitor", "ToolbarMessage4", "Check with Purgeon"};
inline constexpr TextId kToolbarMessage5{"Monitor", "ToolbarMessage5", "Don't show new extensions notifications"};
inline constexpr TextId kStartupMessage1{"Monitor", "StartupMessage1", "just added itself to your Windows startup."};
// In place of StartupMessage1 for an entry whose program changed.
inline constexpr TextId kStartupChangedMessage{"Monitor", "StartupChangedMessage",
                                               "changed what it starts with Windows."};
// In place of StartupMessage1 for an entry disabled at start-up and enabled again.
inline constexpr TextId kStartupReenabled{"Monitor", "StartupReenabled", "was turned back on at Windows start-up"};
inline constexpr TextId kStartupMessage2{
    "Monitor", "StartupMessage2",
    "Not sure you need this program starting automatically every time you start Windows?"};
inline constexpr TextId kStartupMessage3{"Monitor", "StartupMessage3", "Check with Purgeon"};
inline constexpr TextId kStartupMessage4{"Monitor", "StartupMessage4", "Don't show startup notifications"};
// The startup window's link that disables the entry at start-up, and then enables it again.
inline constexpr TextId kStartupDisable{"Monitor", "StartupDisable", "Disable at Windows start-up"};
inline constexpr TextId kStartupEnable{"Monitor", "StartupEnable", "Enable again at start-up"};
// Under the one named, when a round found more of its kind; "%d" is their number.
inline constexpr TextId kMoreFound{"Monitor", "MoreFound", "and %d more (see Recent findings)"};
// Every notification's "..." button (its name for screen readers) and the items of its menu;
// the menu's last item is the tray's AllFindings.
inline constexpr TextId kMoreOptions{"Monitor", "MoreOptions", "More options"};
inline constexpr TextId kDontShowAgain{"Monitor", "DontShowAgain", "Don't show this again"};
inline constexpr TextId kOpenFileLocation{"Monitor", "OpenFileLocation", "Open file location"};
inline constexpr TextId kCacheMessage1{"Monitor", "CacheMessage1", "of junk found!"};
inline constexpr TextId kCacheMessage2{"Monitor", "CacheMessage2", "Recent activity generated a lot of junk files."};
inline constexpr TextId kCacheMessage3{
    "Monitor", "CacheMessage3",
    "Run a cleanup scan in Purgeon to remove these junk files and free up disk space."};
inline constexpr TextId kCacheMessage4{"Monitor", "CacheMessage4", "Start Purgeon"};
inline constexpr TextId kCacheMessage5{"Monitor", "CacheMessage5", "Don't show cleaning notifications"};
// Who signed a new program or startup entry; "%s" stands for the signer's name.
inline constexpr TextId kSignedBy{"Monitor", "SignedBy", "Signed by %s"};
inline constexpr TextId kNotSigned{"Monitor", "NotSigned", "Not signed"};
inline constexpr TextId kSignatureBroken{"Monitor", "SignatureBroken",
                                         "Signature broken: the file was changed after signing"};
inline constexpr TextId kSignedUntrusted{"Monitor", "SignedUntrusted", "Signed by %s, whom Windows does not trust"};
inline constexpr TextId kSignedByOther{"Monitor", "SignedByOther", "Signed by %s, not by the publisher it names"};
// The findings window: its title, tabs, columns, buttons and lines.
inline constexpr TextId kFindingsTitle{"Findings", "FindingsTitle", "Vigilo findings"};
inline constexpr TextId kFindingsTab{"Findings", "FindingsTab", "Findings"};
inline constexpr TextId kIgnoredTab{"Findings", "IgnoredTab", "Ignored"};
inline constexpr TextId kFindingsSearch{"Findings", "Search", "&Search:"};
inline constexpr TextId kFindingsColumnWhen{"Findings", "ColumnWhen", "When"};
inline constexpr TextId kFindingsColumnKind{"Findings", "ColumnKind", "Kind"};
inline constexpr TextId kFindingsColumnName{"Findings", "ColumnName", "Name"};
inline constexpr TextId kFindingsColumnSigner{"Findings", "ColumnSigner", "Signed by"};
inline constexpr TextId kFindingsColumnWhere{"Findings", "ColumnWhere", "Where"};
inline constexpr TextId kFindingsColumnProgram{"Findings", "ColumnProgram", "Program"};
// After the kind of a finding that was no addition.
inline constexpr TextId kFindingsChanged{"Findings", "Changed", "changed"};
inline constexpr TextId kFindingsTurnedBackOn{"Findings", "TurnedBackOn", "turned back on"};
// "%1" is the number of rows shown, "%2" the number of findings.
inline constexpr TextId kFindingsStatus{"Findings", "Status", "%1 of %2 findings shown"};
inline constexpr TextId kFindingsReading{"Findings", "Reading", "Reading the history of findings\xE2\x80\xA6"};
inline constexpr TextId kFindingsDisable{"Findings", "Disable", "&Disable at start-up"};
inline constexpr TextId kFindingsEnable{"Findings", "Enable", "&Enable again"};
inline constexpr TextId kFindingsDontShow{"Findings", "DontShowAgain", "Do&n't show this again"};
inline constexpr TextId kFindingsOpenLocation{"Findings", "OpenFileLocation", "&Open file location"};
inline constexpr TextId kFindingsCopy{"Findings", "Copy", "&Copy"};
inline constexpr TextId kFindingsExport{"Findings", "Export", "E&xport\xE2\x80\xA6"};
inline constexpr TextId kFindingsExportFilter{"Findings", "ExportFilter", "CSV files (*.csv)"};
inline constexpr TextId kFindingsExportName{"Findings", "ExportName", "Vigilo findings.csv"};
// "%s" is the file's path, then the system's reason.
inline constexpr TextId kFindingsExportFailed{"Findings", "ExportFailed", "The findings could not be saved to %s"};
// The Ignored tab: the rules of "Ignore", one a row.
inline constexpr TextId kRulesColumnKind{"Findings", "RuleKind", "Kind"};
inline constexpr TextId kRulesColumnName{"Findings", "RuleName", "Name"};
inline constexpr TextId kRulesColumnProgram{"Findings", "RuleProgram", "Program"};
inline constexpr TextId kRulesColumnSigner{"Findings", "RuleSigner", "Signer"};
inline constexpr TextId kRulesColumnNote{"Findings", "RuleNote", "Note"};
inline constexpr TextId kRulesList{"Findings", "RulesList", "Ignore rules"};
inline constexpr TextId kRuleDefault{"Findings", "RuleDefault", "default rule"};
inline constexpr TextId kRuleByPolicy{"Findings", "RuleByPolicy", "set by policy"};
// "%s" is the reason, one of those that follow.
inline constexpr TextId kRuleInvalid{"Findings", "RuleInvalid", "not a rule: %s"};
inline constexpr TextId kRuleNoTab{"Findings", "RuleNoTab", "no TAB after the kind"};
inline constexpr TextId kRuleUnknownKind{"Findings", "RuleUnknownKind", "the kind is none of program, startup, extension, junk"};
inline constexpr TextId kRuleTooManyFields{"Findings", "RuleTooManyFields", "more than four fields"};
inline constexpr TextId kRuleFieldTooLong{"Findings", "RuleFieldTooLong", "a field of more than 260 characters"};
inline constexpr TextId kRuleBeyondMost{"Findings", "RuleBeyondMost", "beyond the 256th rule"};
inline constexpr TextId kRulesRemove{"Findings", "Remove", "&Remove"};
}  // namespace texts

// The text for id from the program's language file.
std::string Text(const TextId& id);

// text with each "%d" in it replaced by number. The text, which comes from a
// file anyone may write, is never used as a format.
std::string WithNumber(const std::string& text, long long number);

}  // namespace vigilo
