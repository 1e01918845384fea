#include "core/signer_check.h"

#include <memory>

#include "platform/data_path.h"
#include "platform/deadline_call.h"
#include "platform/read_only_file.h"

namespace vigilo {

FileSignature CheckFileSignature(const std::string& path) { return CheckFileSignature(path, &VerifyFileSignature); }

FileSignature CheckFileSignature(const std::string& path, const SignatureVerifier& verify, unsigned waitMs) {
    if (path.empty()) return {};
    const std::optional<std::string> accepted = AcceptedDataPath(path);
    if (!accepted) return {};
    std::optional<ReadOnlyFile> opened = ReadOnlyFile::Open(*accepted);
    if (!opened || opened->Size() > kLargestFileSignatureChecked) return {};
    // The checker thread owns the open file: it may finish after this returns.
    auto file = std::make_shared<ReadOnlyFile>(std::move(*opened));
    const std::optional<FileSignature> signature = CallWithDeadline<FileSignature>(
        [file, verify, checked = *accepted] { return verify(file->Handle(), checked); }, waitMs);
    return signature.value_or(FileSignature{});
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
