// Generated inputs for every reader of data others write, each read under a
// time bound: a reader that loops, or takes quadratic time on the longest
// inputs, fails the test instead of hanging it. The inputs are made and read
// in groups of kInputsPerBound on a deadline thread (a thread costs Wine
// milliseconds to make), the group bounded as a whole. Texts are built from the
// pieces of their format and noise, a piece sometimes repeated thousands of
// times, up to 100,000 characters; binary formats keep a valid head, then
// blocks whose sizes lie near 0, 8, what is left of the file, 0x80000000,
// 0xFFFFFFF8 and 0xFFFFFFFF. None may crash, hang or hold memory. The test
// prints how many inputs each reader was given.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/autostart_command.h"
#include "core/browser_profiles.h"
#include "core/checked_file.h"
#include "core/command_program.h"
#include "core/exclusion_list.h"
#include "core/extension_manifest.h"
#include "core/extension_own_name.h"
#include "core/findings_history.h"
#include "core/findings_record.h"
#include "core/ignore_rules.h"
#include "core/kept_listing.h"
#include "core/language_texts.h"
#include "core/path_set.h"
#include "core/settings_store.h"
#include "core/startup_approved.h"
#include "monitors/autostart_rules.h"
#include "platform/data_path.h"
#include "platform/deadline_call.h"
#include "platform/profile_file.h"
#include "platform/shortcut_file.h"
#include "platform/signature_check_process.h"
#include "platform/task_scheduler.h"
#include "platform/text.h"
#include "platform/zip_archive.h"
#include "support/little_endian.h"
#include "support/monitors_support.h"
#include "support/test_support.h"
#include "support/zip_writer.h"

using namespace vigilo;
using namespace vigilo::test;

namespace {

// Far above what a reader takes on sound inputs of these lengths (a few
// milliseconds each), far below what a loop or a quadratic case takes on the longest.
constexpr unsigned kBoundMs = 10000;
constexpr int kInputsPerBound = 20;
constexpr size_t kLongestText = 100000;

using Pieces = std::initializer_list<std::string_view>;

const Pieces kIniPieces = {"[", "]", "=", "\r\n", "\n", "\r", " ", "\t", "\"", "'", ";", std::string_view("\0", 1),
                           "Tray", "OptFr", "Launch", "Profile", "Profile0", "Path", "IsRelative", "0", "1", "/",
                           "\\", "..", ".", "\\\\server\\share", "C:", "\xC3\xA9", "\xE2\x98\x83", "\xF0\x9F\x98\x80",
                           "\xED\xA0\x80", "\xC3", "\xFF", "\x80"};
const Pieces kCommandPieces = {"C:\\", "C:\\Program Files\\", "App", " ", " ", "\t", "\"", "%", "%SystemRoot%",
                               "%PATH%", "%VIGILO_FUZZ%", "\\", ".exe", "rundll32.exe ", "regsvr32 /s ", ",", "-",
                               "<", "|", "x", "..\\", "\xE2\x98\x83", "\x01"};
const Pieces kJsonPieces = {"{", "}", "[", "]", ":", ",", "\"name\"", "\"default_locale\"", "\"message\"",
                            "\"addons\"", "\"id\"", "\"defaultLocale\"", "\"__MSG_", "__\"", "\"x\"", "\"en\"", "7",
                            "null", " ", "\n", "/*", "*/", "//", "\\u0000", "\\ud800", "\\\"", "\xEF\xBB\xBF",
                            "\xC3\x28", "\xF0\x9F\x98\x80"};
const Pieces kHistoryPieces = {"{", "}", "[", "]", ",", ":", "\n", "\"id\":", "\"finding\":", "7", "-1", "1e999",
                               "\"time\":", "\"2026-03-07T09:01:02Z\"", "\"kind\":", "\"startup\"", "\"name\":",
                               "\"a\\u0000b\"", "\"\\uD800\"", "\"approved\":", "\"root\":", "\"window\":",
                               "\"action\":", "\"ignored\"", "\"", "\\", "\xED\xA0\x80", "\xF0\x9F\x98\x80"};
const Pieces kXmlPieces = {"<Exec>", "</Exec>", "<Exec ", "<Execute>", "<Command>", "</Command>", "<Command/>",
                           "<Command ", ">", "<", "/", "<!--", "-->", "&", ";", "&amp;", "&#x41;", "&#65;", "&lt;",
                           "&#x110000;", "C:\\app.exe", " ", "\r\n", "\xC3\xA9"};
const Pieces kLinePieces = {"2024", "-", "01", ":", " ", "\t", "program", "startup", "extension", "junk", "*", "?",
                            "\r", "\n", std::string_view("\0", 1), "x", "X", "9", "\xC3\xA9", "\xF0\x9F\x98\x80",
                            "\xED\xA0\x80", "s\t", "u\t", "%25", "%09", "%00", "%", ">", "0123456789abcdef"};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}
    size_t Below(size_t n) { return random_() % n; }
    std::uint32_t Number() { return random_(); }

    std::string Noise(size_t length) {
        std::string noise(length, '\0');
        for (char& c : noise) c = static_cast<char>(random_());
        return noise;
    }
    // Pieces and noise, a piece now and then repeated up to 50,000 times.
    std::string Text(Pieces pieces, size_t mostLength = kLongestText) {
        std::string text;
        const size_t chunks = Below(8) == 0 ? 400 : Below(60);
        for (size_t i = 0; i < chunks && text.size() < mostLength; ++i) {
            const std::string piece = Below(12) == 0 ? Noise(Below(40)) : std::string(pieces.begin()[Below(pieces.size())]);
            const size_t repeats = Below(10) == 0 ? Below(50000) : 1;
            for (size_t r = 0; r < repeats && text.size() + piece.size() <= mostLength; ++r) text += piece;
        }
        return text;
    }
    // An INI file, maybe with a byte-order mark.
    std::string File() {
        static const char* const kMarks[] = {"", "", "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
        return kMarks[Below(6)] + Text(kIniPieces);
    }
    // A size near one a reader must guard: none, a block's head, what is left, the top of 32 bits.
    std::uint32_t SizeNear(std::uint64_t left) {
        const std::uint32_t bases[] = {0, 8, static_cast<std::uint32_t>(left), 0x80000000u, 0xFFFFFFF8u, 0xFFFFFFFFu};
        return bases[Below(6)] + static_cast<std::uint32_t>(Below(5)) - 2;
    }

private:
    std::mt19937 random_;
};

// Sets the size fields at the places given to sizes near guarded values, as counted from each field on.
void SetSizes(Generator& generate, std::string& bytes, const std::vector<std::pair<size_t, int>>& fields) {
    for (const auto& [at, width] : fields) {
        const std::uint32_t size = generate.SizeNear(bytes.size() - at);
        for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(size >> (8 * i));
    }
}

// A shortcut: its header and flags, then the parts these announce and extra data blocks.
std::string Shortcut(Generator& generate) {
    const std::uint32_t flags = generate.Number() & 0x2FF;
    std::string bytes = Fields({{0x4C, 4}}) + std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16) +
                        Fields({{flags, 4}});
    bytes.resize(0x4C, '\0');
    std::vector<std::pair<size_t, int>> sizes;
    auto part = [&](int width, size_t fields) {
        sizes.push_back({bytes.size(), width});
        bytes += std::string(static_cast<size_t>(width), '\0');
        for (size_t i = 0; i < fields; ++i) bytes += Fields({{generate.Below(3) ? generate.Below(0x40) : 1, 4}});
        bytes += generate.Below(4) ? generate.Noise(generate.Below(80)) : generate.Noise(0x30C);
    };
    if (flags & 0x1) part(2, 0);  // the ID list
    if (flags & 0x2) part(4, 8);  // the link information: its head and offsets
    for (int text = 0; text < 5; ++text)
        if (flags & (0x4u << text)) part(2, 0);
    const std::uint32_t signatures[] = {0xA0000001, 0xA0000002, 0xA0000003, 0xA0000005, 0xA0000009, 0};
    for (size_t block = generate.Below(6); block > 0 && (flags & 0x200); --block) {
        sizes.push_back({bytes.size(), 4});
        bytes += Fields({{0, 4}, {signatures[generate.Below(6)], 4}});
        bytes += generate.Noise(generate.Below(4) ? generate.Below(80) : 0x30C);
    }
    bytes += Fields({{0, 4}});
    SetSizes(generate, bytes, sizes);
    return bytes;
}

// A zip archive whose numbers, near its end more often, are set near guarded values.
std::string Archive(Generator& generate) {
    ZipWriter zip;
    for (size_t entry = generate.Below(4); entry < 4; ++entry)
        zip.Add(entry % 2 ? "manifest.json" : "_locales/en/messages.json", generate.Text(kJsonPieces, 3000),
                generate.Below(2) == 0);
    std::string bytes = zip.Bytes();
    std::vector<std::pair<size_t, int>> sizes;
    for (size_t field = generate.Below(4); field < 4; ++field) {
        const int width = generate.Below(2) ? 4 : 2;
        const size_t span = generate.Below(2) ? std::min<size_t>(bytes.size(), 120) : bytes.size();
        const size_t at = bytes.size() - 1 - generate.Below(span);
        if (at + static_cast<size_t>(width) <= bytes.size()) sizes.push_back({at, width});
    }
    SetSizes(generate, bytes, sizes);
    if (generate.Below(8) == 0) bytes.resize(generate.Below(bytes.size() + 1));
    return bytes;
}

// The REG_MULTI_SZ bytes of texts, the final NULs and the last byte sometimes missing.
std::string MultiString(Generator& generate, const std::vector<std::string>& texts) {
    std::wstring all;
    for (const std::string& text : texts) all += Utf16(text) + L'\0';
    if (generate.Below(4)) all += L'\0';
    std::string bytes(reinterpret_cast<const char*>(all.data()), all.size() * sizeof(wchar_t));
    if (generate.Below(8) == 0 && !bytes.empty()) bytes.pop_back();
    return bytes;
}

struct Reader {
    const char* name;
    int inputs;
    // Makes the next input, writes it where the reader reads it and reads
    // it; the fault found, or empty when the reading was sound. It touches
    // only its own copies, so a reading the test gave up on harms nothing.
    std::function<std::string(Generator&)> read;
};

// Where a group of inputs is, shared with its deadline thread.
struct Progress {
    std::atomic<int> input{0};
    std::string fault;
};

SIZE_T PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{sizeof(counters)};
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}

}  // namespace

TEST(OutsideDataFuzz, EveryReaderEndsInTimeOnGeneratedInputsInBoundedMemory) {
    TempFolder folder;
    const std::string path = folder.Path();
    const std::string savedProgramFolder = Paths().programFolder;
    Paths().programFolder = path;
    SetEnvironmentVariableW(L"VIGILO_FUZZ", L"C:\\Fuzz \"Dir\\a b");
    ScratchKey key("Fuzz");
    const std::string keyPath = key.Path();

    const Reader readers[] = {
        {"profiles.ini (text)", 1000, [](Generator& g) {
             const ProfileFile file = ProfileFile::Parse(g.File());
             for (const std::string& section : file.SectionNames())
                 if (Utf16Length(file.Value(section, "Path", 2047).value_or("")) > 2047) return std::string("long");
             return std::string();
         }},
        {"profiles.ini (file)", 200, [path](Generator& g) {
             WriteFile(path + "\\profiles.ini", g.File());
             const std::vector<FirefoxProfile> profiles = FirefoxProfiles(path + "\\", path + "\\local\\");
             if (profiles.size() > kMostProfilesPerBrowser) return std::string("too many profiles");
             for (const FirefoxProfile& profile : profiles)
                 if (!profile.folder.starts_with(path) && !AcceptedDataPath(profile.folder)) return profile.folder;
             return std::string();
         }},
        {"language files", 200, [path](Generator& g) {
             WriteFile(path + "\\English.ini", g.File());
             const std::string text = LanguageTexts(path + "\\English.ini").Get("Tray", "Launch", "d");
             return Utf16Length(text) > 2047 ? std::string("long") : std::string();
         }},
        {"SList.txt", 200, [path](Generator& g) {
             WriteFile(path + "\\SList.txt", g.File());
             ApplyExclusionList("Some Program \xE2\x98\x83");
             return std::string();
         }},
        {"registry values", 400, [keyPath](Generator& g) {
             const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD, REG_NONE, 0x7FFF};
             const std::string name = g.Text(kIniPieces, g.Below(50) ? 300 : 16383), data = g.File();
             SetRaw(HKEY_CURRENT_USER, keyPath, name, types[g.Below(8)], data.data(), static_cast<DWORD>(data.size()));
             ReadString(HKEY_CURRENT_USER, keyPath, name);
             ReadInteger(HKEY_CURRENT_USER, keyPath, name);
             try {
                 ReadBool(HKEY_CURRENT_USER, keyPath, name);
                 ReadFloat(HKEY_CURRENT_USER, keyPath, name);
             } catch (const SettingsError&) {
             }
             if (const UniqueKey opened = OpenKey(HKEY_CURRENT_USER, keyPath, KEY_QUERY_VALUE))
                 StartupApprovedFlags(QueryValue(opened.get(), name));
             // The rules that read what an entry holds: a RunOnceEx entry's program, an Explorer load's class.
             const Listing none, value{{{name}}}, entry{{{"Fuzz"}}};
             NewExplorerValues({{HKEY_CURRENT_USER, keyPath}, none, value});
             NewRunOnceExEntries({{HKEY_CURRENT_USER, "Software\\VigiloTests"}, none, entry});
             if (g.Below(50) == 0) {
                 ListedNames(HKEY_CURRENT_USER, keyPath);
                 DeleteKeyTree(HKEY_CURRENT_USER, keyPath);
             }
             return std::string();
         }},
        {"kept listings", 150, [keyPath](Generator& g) {
             static const char* const kHeads[] = {"entries", "hashed", "absent", "listed", "x", ""};
             std::vector<std::string> texts{kHeads[g.Below(6)]};
             const bool many = g.Below(12) == 0;  // beyond the most names a listing keeps, and the most hashes
             for (size_t i = many ? 33000 : g.Below(200); i > 0; --i)
                 texts.push_back(many ? "0123456789abcdef" : g.Text(kLinePieces, 300));
             const std::string bytes = MultiString(g, texts), place = g.Text(kIniPieces, 300);
             const std::string kept = keyPath + "\\Kept";
             SetRaw(HKEY_CURRENT_USER, kept, place, g.Below(10) ? REG_MULTI_SZ : REG_SZ, bytes.data(),
                    static_cast<DWORD>(bytes.size()));
             const KeptListingStore store(HKEY_CURRENT_USER, kept);
             store.Save(place, store.Load(place));
             store.Load(place);
             DeleteKeyTree(HKEY_CURRENT_USER, kept);
             return std::string();
         }},
        {"shortcuts", 3000, [](Generator& g) {
             const std::optional<ShortcutTarget> target = ShortcutTargetOfBytes(Shortcut(g), "C:\\Links");
             return target && target->path.empty() ? std::string("empty target") : std::string();
         }},
        {"commands", 200, [](Generator& g) {
             // Now and then a million characters, which a quadratic reader would never finish.
             const std::string command = g.Text(kCommandPieces, g.Below(20) ? kLongestText : 10 * kLongestText);
             const CommandProgram started = ProgramOfCommand(command);
             SplitArguments(started.arguments);
             LibraryLoadedBy(started);
             ProgramsOfList(command, ListItems::Commands);
             ProgramsOfList(command, ListItems::Files);
             CommandProgramHash(command);
             StartupCommandProgram(command);
             UninstallEntryProgram(command, command);
             IsSignatureCheckCommandLine(command);
             return std::string();
         }},
        {"manifests", 1000, [](Generator& g) {
             const std::string json = g.Text(kJsonPieces);
             if (const std::optional<ExtensionManifest> manifest = ParseExtensionManifest(json))
                 MessageKeyOf(manifest->name);
             LocaleMessage(json, "x");
             return std::string();
         }},
        {"extensions.json", 500, [](Generator& g) {
             FirefoxAddOnName(g.Text(kJsonPieces), "x");
             return std::string();
         }},
        {"version folder names", 500, [](Generator& g) {
             std::vector<std::string> names;
             for (size_t i = g.Below(50); i > 0; --i) names.push_back(g.Text({"1", "0", "9", ".", "_", "123456789", "a"}, 40));
             const std::string newest = NewestVersionName(names);
             return newest.empty() || std::find(names.begin(), names.end(), newest) != names.end() ? std::string()
                                                                                                  : newest;
         }},
        {"zip archives", 300, [path](Generator& g) {
             WriteFile(path + "\\add-on.xpi", Archive(g));
             if (const std::optional<ZipArchive> archive = ZipArchive::Open(path + "\\add-on.xpi")) {
                 archive->Entry("manifest.json", 1024 * 1024);
                 archive->Entry("_locales/en/messages.json", 1024 * 1024);
             }
             return std::string();
         }},
        {"task definitions", 500, [](Generator& g) {
             const std::string xml = g.Text(kXmlPieces);
             for (const std::string& command : ExecCommandsOfTaskXml(xml))
                 if (command.size() > xml.size()) return std::string("a command longer than its definition");
             return std::string();
         }},
        {"findings record lines", 2000, [](Generator& g) {
             const std::string head = g.Below(2) ? "2024-01-02 03:04:05\t" : "";
             ParseFindingLine(head + g.Text(kLinePieces, g.Below(20) ? 400 : kLongestText));
             return std::string();
         }},
        {"ignore rules", 500, [](Generator& g) {
             std::vector<std::string> lines;
             for (size_t i = g.Below(8) ? g.Below(20) : 300; i > 0; --i) lines.push_back(g.Text(kLinePieces, 400));
             const std::string name = g.Text(kLinePieces, 16383);
             const std::vector<IgnoreRule> rules = ParseIgnoreRules(lines);
             if (rules.size() > kMostIgnoreRules) return std::string("too many rules");
             // Every field of the first rules, against names and programs of any length (no signature is checked).
             const IgnoreMatcher matcher({rules.begin(), rules.begin() + std::min<size_t>(rules.size(), 4)},
                                         [](const std::string&) { return std::string(); });
             Finding finding{FindingKind::Startup, name};
             finding.program = g.Text(kLinePieces, 300);
             matcher.Matches(finding);
             MatchesWildcard(g.Text(kLinePieces, 260), name);
             return std::string();
         }},
        {"findings history", 300, [](Generator& g) {
             const std::string bytes = g.Text(kHistoryPieces);
             const HistoryContents contents = ParseHistory(bytes);
             return contents.entries.size() <= contents.lines ? std::string() : std::string("more entries than lines");
         }},
        {"signature answers", 500, [](Generator& g) {
             const size_t count = g.Below(300);
             return ParseSignatureAnswer(g.Text(kLinePieces), count).size() == count ? std::string()
                                                                                     : std::string("count");
         }},
    };

    auto generate = std::make_shared<Generator>(20261208);
    int total = 0;
    for (const Reader& reader : readers) {
        for (int first = 0; first < reader.inputs; first += kInputsPerBound) {
            const int last = std::min(first + kInputsPerBound, reader.inputs);
            auto progress = std::make_shared<Progress>();
            const bool inTime = RunWithDeadline(
                [reader, generate, progress, first, last] {
                    for (int input = first; input < last && progress->fault.empty(); ++input) {
                        progress->input = input;
                        progress->fault = reader.read(*generate);
                    }
                },
                kBoundMs);
            ASSERT_TRUE(inTime) << reader.name << ": input " << progress->input.load() << " was still being read after "
                                << kBoundMs << " ms";
            ASSERT_EQ(progress->fault, "") << reader.name << ": input " << progress->input.load();
        }
        std::printf("%-22s %6d inputs\n", reader.name, reader.inputs);
        total += reader.inputs;
    }
    std::printf("%-22s %6d inputs\n", "every reader", total);
    Paths().programFolder = savedProgramFolder;
    SetEnvironmentVariableW(L"VIGILO_FUZZ", nullptr);
    EXPECT_LT(PeakWorkingSet(), 256u << 20);
}
