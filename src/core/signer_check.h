#pragma once
// The check of who signed a file another program names, bounded so that a
// watch is never held up by it: the path must pass the path rule before the
// file is opened, a file over 256 MiB is not checked, and the check runs on
// a checker thread that the caller waits for at most 2 seconds; a result
// that comes later is dropped. The files of one round are checked together.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/authenticode.h"
#include "platform/signature_check_process.h"

namespace vigilo {

inline constexpr std::int64_t kLargestFileSignatureChecked = 256LL * 1024 * 1024;
inline constexpr unsigned kSignatureCheckWaitMs = 2000;

// How a file opened for reading from path is verified (VerifyFileSignature; another in tests).
using SignatureVerifier = std::function<FileSignature(HANDLE file, const std::string& path)>;
// How files so opened are verified together, one result each, in order.
using SignaturesVerifier = std::function<std::vector<FileSignature>(const std::vector<FileToVerify>& files)>;

// The signature of the file at each of paths; Unknown where the path is
// empty or refused, the file does not open or is too large, or where the
// check came late. Verified in this process, or in a child process once
// VerifySignaturesInChildProcesses was called.
std::vector<FileSignature> CheckFileSignatures(const std::vector<std::string>& paths);
std::vector<FileSignature> CheckFileSignatures(const std::vector<std::string>& paths, const SignaturesVerifier& verify,
                                               unsigned waitMs = kSignatureCheckWaitMs);
FileSignature CheckFileSignature(const std::string& path);
FileSignature CheckFileSignature(const std::string& path, const SignatureVerifier& verify,
                                 unsigned waitMs = kSignatureCheckWaitMs);

// From now on CheckFileSignatures verifies in a short-lived child process
// started from program (this program, which serves the check when started
// so): what the check loads then leaves with that process.
void VerifySignaturesInChildProcesses(const std::string& program);

// The signature as the record of findings keeps it: "signed:<name>",
// "untrusted:<name>", "unsigned", "broken", or empty; a TAB, CR or LF in a
// name as a blank.
std::string SignatureRecordField(const FileSignature& signature);

}  // namespace vigilo
