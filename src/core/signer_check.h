#pragma once
// The check of who signed a file another program names, bounded so that a
// watch is never held up by it: the path must pass the path rule before the
// file is opened, a file over 256 MiB is not checked, and the check runs on
// a checker thread that the caller waits for at most 2 seconds; a result
// that comes later is dropped.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/authenticode.h"

namespace vigilo {

inline constexpr std::int64_t kLargestFileSignatureChecked = 256LL * 1024 * 1024;
inline constexpr unsigned kSignatureCheckWaitMs = 2000;

// How a file opened for reading from path is verified (VerifyFileSignature; another in tests).
using SignatureVerifier = std::function<FileSignature(HANDLE file, const std::string& path)>;

// The signature of the file at path; Unknown when the path is empty or
// refused, the file does not open, is too large, or the check came late.
FileSignature CheckFileSignature(const std::string& path);
FileSignature CheckFileSignature(const std::string& path, const SignatureVerifier& verify,
                                 unsigned waitMs = kSignatureCheckWaitMs);

// The signature as the record of findings keeps it: "signed:<name>",
// "untrusted:<name>", "unsigned", "broken", or empty; a TAB, CR or LF in a
// name as a blank.
std::string SignatureRecordField(const FileSignature& signature);

}  // namespace vigilo
