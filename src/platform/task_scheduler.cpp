#include "platform/task_scheduler.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <taskschd.h>

#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_library.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace vigilo {
namespace {

// Task folders nest a few levels; a deeper tree, or a longer list, is no
// system's and is cut short rather than followed.
constexpr int kDeepestFolder = 16;
constexpr size_t kMostTasks = 20000;
// A task's definition is a few KB; a larger file is no task's.
constexpr size_t kLargestTaskFile = 1024 * 1024;

constexpr CLSID kTaskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
constexpr IID kTaskServiceInterface = {0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};
constexpr LONG kHiddenTasksToo = 1;  // TASK_ENUM_HIDDEN

// The COM functions the interface needs, from the system's own DLLs, loaded
// at the first listing through it and kept: a program that never needs the
// interface (Vigilo under Wine) does not carry them, 1.5 MB of working set
// under Wine (measured); on Windows the shell has them loaded anyway.
struct ComFunctions {
    HRESULT(WINAPI* coInitializeEx)(void*, DWORD) = nullptr;
    void(WINAPI* coUninitialize)() = nullptr;
    HRESULT(WINAPI* coCreateInstance)(REFCLSID, IUnknown*, DWORD, REFIID, void**) = nullptr;
    BSTR(WINAPI* sysAllocString)(const OLECHAR*) = nullptr;
    void(WINAPI* sysFreeString)(BSTR) = nullptr;
    UINT(WINAPI* sysStringLen)(BSTR) = nullptr;

    bool Loaded() const {
        return coInitializeEx && coUninitialize && coCreateInstance && sysAllocString && sysFreeString && sysStringLen;
    }
};

const ComFunctions& Com() {
    static const ComFunctions functions = [] {
        ComFunctions found;
        const HMODULE ole = LoadSystemLibrary(L"ole32.dll");
        const HMODULE automation = LoadSystemLibrary(L"oleaut32.dll");
        FindExport(ole, "CoInitializeEx", found.coInitializeEx);
        FindExport(ole, "CoUninitialize", found.coUninitialize);
        FindExport(ole, "CoCreateInstance", found.coCreateInstance);
        FindExport(automation, "SysAllocString", found.sysAllocString);
        FindExport(automation, "SysFreeString", found.sysFreeString);
        FindExport(automation, "SysStringLen", found.sysStringLen);
        return found;
    }();
    return functions;
}

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComRef = std::unique_ptr<Interface, ComRelease>;

struct BstrFree {
    void operator()(BSTR text) const { Com().sysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// COM on the calling thread for one listing: left as it was afterwards.
class ComForThisCall {
public:
    ComForThisCall() : initialized_(SUCCEEDED(Com().coInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComForThisCall() {
        if (initialized_) Com().coUninitialize();
    }
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;

private:
    bool initialized_;
};

// A collection's index (from 1), as its get_Item takes it.
VARIANT Index(LONG index) {
    VARIANT at{};
    at.vt = VT_I4;
    at.lVal = index;
    return at;
}

std::string TextOf(BSTR text) {
    return text ? Utf8(std::wstring_view(text, Com().sysStringLen(text))) : std::string();
}

// The commands of a registered task's definition; none when it cannot be read.
std::optional<std::vector<std::string>> CommandsOf(IRegisteredTask& task) {
    BSTR rawXml = nullptr;
    if (FAILED(task.get_Xml(&rawXml)) || !rawXml) return std::nullopt;
    const UniqueBstr xml(rawXml);
    return ExecCommandsOfTaskXml(TextOf(xml.get()));
}

bool AddTasksOf(ITaskFolder& folder, int depth, std::vector<RegisteredTask>& paths) {
    if (depth > kDeepestFolder || paths.size() >= kMostTasks) return true;
    IRegisteredTaskCollection* rawTasks = nullptr;
    if (FAILED(folder.GetTasks(kHiddenTasksToo, &rawTasks)) || !rawTasks) return false;
    const ComRef<IRegisteredTaskCollection> tasks(rawTasks);
    LONG count = 0;
    if (FAILED(tasks->get_Count(&count))) return false;
    for (LONG index = 1; index <= count && paths.size() < kMostTasks; ++index) {
        IRegisteredTask* rawTask = nullptr;
        if (FAILED(tasks->get_Item(Index(index), &rawTask)) || !rawTask) return false;
        const ComRef<IRegisteredTask> task(rawTask);
        BSTR rawPath = nullptr;
        if (FAILED(task->get_Path(&rawPath))) return false;
        const UniqueBstr path(rawPath);
        paths.push_back({TextOf(path.get()), CommandsOf(*task)});
    }
    ITaskFolderCollection* rawFolders = nullptr;
    if (FAILED(folder.GetFolders(0, &rawFolders)) || !rawFolders) return false;
    const ComRef<ITaskFolderCollection> folders(rawFolders);
    if (FAILED(folders->get_Count(&count))) return false;
    for (LONG index = 1; index <= count; ++index) {
        ITaskFolder* rawFolder = nullptr;
        if (FAILED(folders->get_Item(Index(index), &rawFolder)) || !rawFolder) return false;
        const ComRef<ITaskFolder> subfolder(rawFolder);
        if (!AddTasksOf(*subfolder, depth + 1, paths)) return false;
    }
    return true;
}

// The native system folder: a 32-bit program on 64-bit Windows reaches it
// as "Sysnative"; "system32" would be its own copy, which holds no tasks.
std::string NativeSystemFolder() {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return SystemFolderPath();
    wchar_t buffer[MAX_PATH] = L"";
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return Utf8(std::wstring_view(buffer, length)) + "\\Sysnative";
}

// The commands of a task file, read whole (a definition is a few KB); none
// when it cannot be read.
std::optional<std::vector<std::string>> CommandsOfTaskFile(const std::string& file) {
    const std::optional<std::string> bytes = ReadSmallFile(file, kLargestTaskFile);
    if (!bytes) return std::nullopt;
    return ExecCommandsOfTaskXml(DecodeText(*bytes, CP_UTF8));
}

bool AddTaskFiles(const std::string& folder, const std::string& path, int depth, std::vector<RegisteredTask>& paths) {
    const OpenFolder listing(folder);
    if (!listing) return false;
    listing.ForEachEntry([&](const FolderEntry& entry) {
        if (paths.size() >= kMostTasks) return false;
        // A link could lead back up the tree; the scheduler makes none.
        if (entry.IsLink()) return true;
        if (!entry.IsFolder())
            paths.push_back({path + "\\" + entry.name, CommandsOfTaskFile(folder + "\\" + entry.name)});
        else if (depth < kDeepestFolder)
            AddTaskFiles(folder + "\\" + entry.name, path + "\\" + entry.name, depth + 1, paths);
        return true;
    });
    return true;
}

constexpr const char* kTaskCacheTree = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree";

void AddCachedTasks(HKEY key, const std::string& path, int depth, std::vector<RegisteredTask>& paths) {
    for (const std::string& name : SubkeyNames(key)) {
        if (paths.size() >= kMostTasks) return;
        const UniqueKey subkey = OpenKey(key, name, KEY_READ);
        if (!subkey) continue;
        if (QueryValueInfo(subkey.get(), "Id"))
            paths.push_back({path + "\\" + name});
        else if (depth < kDeepestFolder)
            AddCachedTasks(subkey.get(), path + "\\" + name, depth + 1, paths);
    }
}

}  // namespace

std::optional<std::vector<RegisteredTask>> TasksFromScheduler() {
    if (!Com().Loaded()) return std::nullopt;
    const ComForThisCall com;
    ITaskService* rawService = nullptr;
    if (FAILED(Com().coCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, kTaskServiceInterface,
                                reinterpret_cast<void**>(&rawService))) ||
        !rawService)
        return std::nullopt;
    const ComRef<ITaskService> service(rawService);
    const VARIANT none{};  // VT_EMPTY: this computer, the calling user
    if (FAILED(service->Connect(none, none, none, none))) return std::nullopt;
    const UniqueBstr rootPath(Com().sysAllocString(L"\\"));
    ITaskFolder* rawRoot = nullptr;
    if (!rootPath || FAILED(service->GetFolder(rootPath.get(), &rawRoot)) || !rawRoot) return std::nullopt;
    const ComRef<ITaskFolder> root(rawRoot);
    std::vector<RegisteredTask> paths;
    if (!AddTasksOf(*root, 0, paths)) return std::nullopt;
    return paths;
}

std::optional<std::vector<RegisteredTask>> TasksFromTaskFolder() {
    const std::string system = NativeSystemFolder();
    if (system.empty()) return std::nullopt;
    const std::string tasks = system + "\\Tasks";
    std::vector<RegisteredTask> paths;
    if (!DirectoryExists(tasks)) return paths;
    if (!AddTaskFiles(tasks, "", 0, paths)) return std::nullopt;
    return paths;
}

std::optional<std::vector<RegisteredTask>> TasksFromTaskCache() {
    const UniqueKey tree = OpenKey(HKEY_LOCAL_MACHINE, kTaskCacheTree, KEY_READ);
    if (!tree) return std::nullopt;
    std::vector<RegisteredTask> paths;
    AddCachedTasks(tree.get(), "", 0, paths);
    return paths;
}

namespace {

// text with every "<!-- ... -->" taken out.
std::string WithoutComments(std::string_view text) {
    std::string kept;
    for (size_t at = 0;;) {
        const size_t open = text.find("<!--", at);
        kept += text.substr(at, open == std::string_view::npos ? std::string_view::npos : open - at);
        if (open == std::string_view::npos) return kept;
        const size_t close = text.find("-->", open + 4);
        if (close == std::string_view::npos) return kept;
        at = close + 3;
    }
}

// Where the start tag of element begins at or after at ("<Name>", "<Name ...>"); npos when none.
size_t FindStartTag(std::string_view xml, std::string_view element, size_t at) {
    const std::string open = "<" + std::string(element);
    for (size_t found = xml.find(open, at); found != std::string_view::npos; found = xml.find(open, found + 1)) {
        const size_t after = found + open.size();
        if (after < xml.size() && (xml[after] == '>' || xml[after] == '/' || xml[after] == ' ' || xml[after] == '\t' ||
                                   xml[after] == '\r' || xml[after] == '\n'))
            return found;
    }
    return std::string_view::npos;
}

// The first place at or after a position where something is found, asked
// for positions that only grow: an answer at or after the position asked is
// still the first, so the text is searched once in all, however many ask.
class ForwardSearch {
public:
    explicit ForwardSearch(std::function<size_t(size_t at)> find) : find_(std::move(find)) {}
    size_t From(size_t at) {
        if (!searched_ || (found_ != std::string_view::npos && found_ < at)) found_ = find_(at);
        searched_ = true;
        return found_;
    }

private:
    std::function<size_t(size_t)> find_;
    size_t found_ = std::string_view::npos;
    bool searched_ = false;
};

void AppendUtf8(std::string& text, unsigned long code) {
    if (code == 0 || code > 0x10FFFF) return;
    text += Utf8(code < 0x10000 ? std::wstring(1, static_cast<wchar_t>(code))
                                : std::wstring{static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)),
                                               static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF))});
}

// An element's text with its references resolved; an unknown one stays as written.
std::string ResolvedText(std::string_view raw) {
    constexpr size_t kLongestReference = 10;  // from "&" to ";", as "&#x10FFFF;" is
    static constexpr struct {
        std::string_view name;
        char character;
    } kNamed[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    std::string text;
    for (size_t at = 0; at < raw.size();) {
        // A reference is short: its ";" is looked for only that far, so many "&" cost no more than one.
        const size_t within = raw[at] == '&' ? raw.substr(at, kLongestReference + 1).find(';') : std::string_view::npos;
        const size_t semicolon = within == std::string_view::npos ? within : at + within;
        if (semicolon == std::string_view::npos) {
            text += raw[at++];
            continue;
        }
        const std::string_view name = raw.substr(at + 1, semicolon - at - 1);
        bool resolved = false;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char* end = nullptr;
            const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && end && *end == '\0') {
                AppendUtf8(text, code);
                resolved = true;
            }
        }
        for (const auto& named : kNamed)
            if (!resolved && name == named.name) {
                text += named.character;
                resolved = true;
            }
        if (!resolved) text.append(raw.substr(at, semicolon - at + 1));
        at = semicolon + 1;
    }
    return text;
}

}  // namespace

std::vector<std::string> ExecCommandsOfTaskXml(std::string_view definition) {
    const std::string xml = WithoutComments(definition);
    const std::string_view text(xml);
    // Every search below is asked for positions that only grow, so each runs
    // over the definition once: however many "<Exec" a definition holds
    // without their ends, it is read in time linear in its length.
    ForwardSearch execEnds([text](size_t at) { return text.find("</Exec>", at); });
    ForwardSearch commands([text](size_t at) { return FindStartTag(text, "Command", at); });
    ForwardSearch tagEnds([text](size_t at) { return text.find('>', at); });
    ForwardSearch commandEnds([text](size_t at) { return text.find("</Command>", at); });
    std::vector<std::string> found;
    for (size_t exec = FindStartTag(text, "Exec", 0); exec != std::string::npos;
         exec = FindStartTag(text, "Exec", exec + 1)) {
        const size_t execEnd = execEnds.From(exec);
        const size_t command = commands.From(exec);
        if (command == std::string::npos || command > execEnd) continue;
        const size_t textStart = tagEnds.From(command);
        if (textStart == std::string::npos) break;
        if (text[textStart - 1] == '/') {  // <Command/>
            found.emplace_back();
            continue;
        }
        const size_t textEnd = commandEnds.From(textStart);
        if (textEnd == std::string::npos) break;
        found.push_back(TrimControlAndBlanks(ResolvedText(text.substr(textStart + 1, textEnd - textStart - 1))));
    }
    return found;
}

}  // namespace vigilo
