#include "core/signer_check.h"

#include <memory>
#include <mutex>

#include "platform/data_path.h"
#include "platform/deadline_call.h"
#include "platform/read_only_file.h"

namespace vigilo {

namespace {

std::mutex g_childProgramMutex;
std::string g_childProgram;

std::string ChildProgram() {
    std::lock_guard lock(g_childProgramMutex);
    return g_childProgram;
}

// Each of files verified in turn, in this process.
std::vector<FileSignature> VerifyEach(const SignatureVerifier& verify, const std::vector<FileToVerify>& files) {
    std::vector<FileSignature> signatures;
    for (const FileToVerify& file : files) signatures.push_back(verify(file.file, file.path));
    return signatures;
}

}  // namespace

void VerifySignaturesInChildProcesses(const std::string& program) {
    std::lock_guard lock(g_childProgramMutex);
    g_childProgram = program;
}

std::vector<FileSignature> CheckFileSignatures(const std::vector<std::string>& paths) {
    const std::string program = ChildProgram();
    if (program.empty())
        return CheckFileSignatures(paths, [](const std::vector<FileToVerify>& files) {
            return VerifyEach(&VerifyFileSignature, files);
        });
    return CheckFileSignatures(paths, [program](const std::vector<FileToVerify>& files) {
        return VerifyInChildProcess(program, files);
    });
}

std::vector<FileSignature> CheckFileSignatures(const std::vector<std::string>& paths, const SignaturesVerifier& verify,
                                               unsigned waitMs) {
    std::vector<FileSignature> signatures(paths.size());
    // The checker thread owns the open files: it may finish after this returns.
    struct Opened {
        std::vector<ReadOnlyFile> files;
        std::vector<std::string> paths;
        std::vector<size_t> at;  // where each one's result goes
    };
    auto opened = std::make_shared<Opened>();
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) continue;
        const std::optional<std::string> accepted = AcceptedDataPath(paths[i]);
        if (!accepted) continue;
        std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(*accepted);
        if (!file || file->Size() > kLargestFileSignatureChecked) continue;
        opened->files.push_back(std::move(*file));
        opened->paths.push_back(*accepted);
        opened->at.push_back(i);
    }
    if (opened->files.empty()) return signatures;
    const std::optional<std::vector<FileSignature>> verified = CallWithDeadline<std::vector<FileSignature>>(
        [opened, verify] {
            std::vector<FileToVerify> files;
            for (size_t i = 0; i < opened->files.size(); ++i)
                files.push_back({opened->files[i].Handle(), opened->paths[i]});
            return verify(files);
        },
        waitMs);
    if (!verified || verified->size() != opened->at.size()) return signatures;
    for (size_t i = 0; i < opened->at.size(); ++i) signatures[opened->at[i]] = (*verified)[i];
    return signatures;
}

FileSignature CheckFileSignature(const std::string& path) { return CheckFileSignatures({path}).front(); }

FileSignature CheckFileSignature(const std::string& path, const SignatureVerifier& verify, unsigned waitMs) {
    return CheckFileSignatures(
               {path}, [verify](const std::vector<FileToVerify>& files) { return VerifyEach(verify, files); }, waitMs)
        .front();
}

std::string SignatureRecordField(const FileSignature& signature) {
    std::string name = signature.signer;
    for (char& c : name)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    switch (signature.state) {
        case SignatureState::Signed: return "signed:" + name;
        case SignatureState::Untrusted: return "untrusted:" + name;
        case SignatureState::NotSigned: return "unsigned";
        case SignatureState::Broken: return "broken";
        case SignatureState::Unknown: break;
    }
    return {};
}

}  // namespace vigilo
