#include "platform/signature_check_process.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/text.h"
#include "platform/unique_handle.h"

namespace vigilo {
namespace {

// A request beyond these is not served: a round checks ten files at most.
constexpr size_t kMostFiles = 64;
constexpr size_t kMostRequestBytes = 4 * 1024 * 1024;
// A signer's name is cut to this many bytes, so that every answer fits its pipe.
constexpr size_t kLongestSigner = 1024;
constexpr size_t kMostAnswerBytes = kMostFiles * (kLongestSigner + 3);

constexpr char kSignedLetter = 'S', kUntrustedLetter = 'U', kNotSignedLetter = 'N', kBrokenLetter = 'B',
               kUnknownLetter = '?';

char LetterOf(SignatureState state) {
    switch (state) {
        case SignatureState::Signed: return kSignedLetter;
        case SignatureState::Untrusted: return kUntrustedLetter;
        case SignatureState::NotSigned: return kNotSignedLetter;
        case SignatureState::Broken: return kBrokenLetter;
        case SignatureState::Unknown: break;
    }
    return kUnknownLetter;
}

SignatureState StateOfLetter(char letter) {
    switch (letter) {
        case kSignedLetter: return SignatureState::Signed;
        case kUntrustedLetter: return SignatureState::Untrusted;
        case kNotSignedLetter: return SignatureState::NotSigned;
        case kBrokenLetter: return SignatureState::Broken;
        default: return SignatureState::Unknown;
    }
}

// name on one line of at most kLongestSigner bytes, cut between characters.
std::string OneLineSigner(std::string name) {
    for (char& c : name)
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
    if (name.size() > kLongestSigner) {
        size_t end = kLongestSigner;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
        name.resize(end);
    }
    return name;
}

std::vector<std::string_view> CompleteLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1))
        lines.push_back(text.substr(0, end));
    return lines;
}

// What can be read from handle until its end, or until more than mostBytes came.
std::string ReadToEnd(HANDLE handle, size_t mostBytes) {
    std::string bytes;
    char buffer[16384];
    DWORD read = 0;
    while (bytes.size() <= mostBytes && ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool WriteWhole(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 65536));
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::string HandleText(HANDLE handle) {
    char text[20];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

// The handle a request line names; null for anything but hex digits.
HANDLE HandleOfText(std::string_view text) {
    if (text.empty() || text.size() > 2 * sizeof(uintptr_t)) return nullptr;
    uintptr_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return nullptr;
        value = value * 16 + static_cast<uintptr_t>(digit);
    }
    return reinterpret_cast<HANDLE>(value);
}

// The job every child is put in: when this program ends, for whatever
// reason, the system closes the job's one handle and ends any child still
// running with it. Kept for the program's life; null where the system
// refuses (a program already in a job that allows no other, on Windows 7).
HANDLE ChildrensJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made && !SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(made);
            made = nullptr;
        }
        return made;
    }();
    return job;
}

struct ChildProcess {
    UniqueKernelHandle process;
    UniqueKernelHandle input;   // the write end of its standard input
    UniqueKernelHandle output;  // the read end of its standard output
};

// Starts program as a signature check child, with pipes for its standard
// input (room for requestBytes) and output.
std::optional<ChildProcess> StartChild(const std::string& program, size_t requestBytes) {
    // While a child is made its pipe ends are inheritable; another child made
    // at that moment would hold them open too.
    static std::mutex starting;
    std::lock_guard lock(starting);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE childInput = nullptr, input = nullptr, output = nullptr, childOutput = nullptr;
    if (!CreatePipe(&childInput, &input, &inherited, static_cast<DWORD>(requestBytes))) return std::nullopt;
    UniqueKernelHandle childInputOwner(childInput), inputOwner(input);
    if (!CreatePipe(&output, &childOutput, &inherited, static_cast<DWORD>(kMostAnswerBytes))) return std::nullopt;
    UniqueKernelHandle outputOwner(output), childOutputOwner(childOutput);
    SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    const std::wstring path = Utf16(program);
    std::wstring commandLine = L"\"" + path + L"\" " + Utf16(kCheckSignaturesSwitch);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started))
        return std::nullopt;
    if (const HANDLE job = ChildrensJob()) AssignProcessToJobObject(job, started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    return ChildProcess{UniqueKernelHandle(started.hProcess), std::move(inputOwner), std::move(outputOwner)};
}

}  // namespace

std::vector<FileSignature> VerifyInChildProcess(const std::string& program, const std::vector<FileToVerify>& files,
                                                unsigned mostMs) {
    std::vector<FileSignature> unknown(files.size());
    if (files.empty() || files.size() > kMostFiles) return unknown;
    size_t requestBytes = 0;
    for (const FileToVerify& file : files) requestBytes += file.path.size() + 2 * sizeof(uintptr_t) + 2;
    if (requestBytes > kMostRequestBytes) return unknown;
    std::optional<ChildProcess> child = StartChild(program, requestBytes);
    if (!child) return unknown;

    // Each file goes by its handle, duplicated into the child: the file
    // verified is the one opened. The child's end closes them all.
    std::string request;
    for (const FileToVerify& file : files) {
        HANDLE inChild = nullptr;
        const bool lineSafe = file.path.find_first_of("\t\r\n") == std::string::npos;
        if (!lineSafe || !DuplicateHandle(GetCurrentProcess(), file.file, child->process.get(), &inChild, 0, FALSE,
                                          DUPLICATE_SAME_ACCESS))
            inChild = nullptr;
        request += HandleText(inChild) + '\t' + (lineSafe ? file.path : std::string()) + '\n';
    }
    // The pipe has room for the whole request, and the child's for its whole
    // answer: neither side waits on the other to read.
    const bool sent = WriteWhole(child->input.get(), request);
    child->input.reset();
    if (!sent || WaitForSingleObject(child->process.get(), mostMs) != WAIT_OBJECT_0) {
        TerminateProcess(child->process.get(), 1);
        return unknown;
    }
    return ParseSignatureAnswer(ReadToEnd(child->output.get(), kMostAnswerBytes), files.size());
}

bool IsSignatureCheckCommandLine(const std::string& commandLine) {
    // The program's own path comes first, in quotes or up to the first blank.
    size_t rest = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t closing = commandLine.find('"', 1);
        if (closing == std::string::npos) return false;
        rest = closing + 1;
    } else {
        rest = commandLine.find_first_of(" \t");
        if (rest == std::string::npos) return false;
    }
    return TrimControlAndBlanks(commandLine.substr(rest)) == kCheckSignaturesSwitch;
}

bool StartedAsSignatureCheckChild() { return IsSignatureCheckCommandLine(Utf8(GetCommandLineW())); }

int ServeSignatureChecks() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE), output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!input || input == INVALID_HANDLE_VALUE || !output || output == INVALID_HANDLE_VALUE) return 1;
    const std::string answer = AnswerSignatureRequest(ReadToEnd(input, kMostRequestBytes), &VerifyFileSignature);
    return WriteWhole(output, answer) ? 0 : 1;
}

std::string AnswerSignatureRequest(const std::string& request,
                                   FileSignature (*verify)(HANDLE file, const std::string& path)) {
    std::string answer;
    if (request.size() > kMostRequestBytes) return answer;
    const std::vector<std::string_view> lines = CompleteLines(request);
    for (size_t i = 0; i < lines.size() && i < kMostFiles; ++i) {
        const size_t tab = lines[i].find('\t');
        const HANDLE file = tab == std::string_view::npos ? nullptr : HandleOfText(lines[i].substr(0, tab));
        FileSignature signature;
        // Only a file on a disk is handed on: any other handle value names nothing to verify.
        if (file && GetFileType(file) == FILE_TYPE_DISK)
            signature = verify(file, std::string(lines[i].substr(tab + 1)));
        answer += LetterOf(signature.state);
        answer += '\t' + OneLineSigner(signature.signer) + '\n';
    }
    return answer;
}

std::vector<FileSignature> ParseSignatureAnswer(const std::string& answer, size_t count) {
    std::vector<FileSignature> results(count);
    const std::vector<std::string_view> lines = CompleteLines(answer);
    for (size_t i = 0; i < count && i < lines.size(); ++i) {
        if (lines[i].size() < 2 || lines[i][1] != '\t') continue;
        FileSignature& result = results[i];
        result.state = StateOfLetter(lines[i][0]);
        if (result.state == SignatureState::Signed || result.state == SignatureState::Untrusted) {
            result.signer = std::string(lines[i].substr(2));
            if (result.signer.empty()) result.state = SignatureState::Unknown;
        }
    }
    return results;
}

}  // namespace vigilo
