#pragma once
// The signature check in a short-lived process of its own. What the check
// loads stays loaded for good (Wine: crypt32 keeps wintrust, and bcrypt's
// GnuTLS, GMP and Nettle are never unloaded; 5 MB in all), so it is done in
// a child process that takes all that with it when it ends.
//
// The child is the program itself, started as
//   "<program>" /check-signatures
// Its standard input holds one line per file, "<handle>\t<path>\n", the
// handle (in hex) being the opened file duplicated into the child; its
// standard output, one line per request line, "<state>\t<signer>\n", the
// state a letter (S signed, U untrusted, N not signed, B broken, ? unknown).
// Anything else, a child that does not start, ends without answering or
// takes longer than allowed, gives Unknown.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/authenticode.h"

namespace vigilo {

inline constexpr const char* kCheckSignaturesSwitch = "/check-signatures";
// A child that has not answered by then is ended.
inline constexpr unsigned kSignatureChildMostMs = 30000;

struct FileToVerify {
    HANDLE file;       // opened for reading
    std::string path;  // the path it was opened from
};

// Verifies files in one child process started from program; one result per
// file, in order.
std::vector<FileSignature> VerifyInChildProcess(const std::string& program, const std::vector<FileToVerify>& files,
                                                unsigned mostMs = kSignatureChildMostMs);

// Whether commandLine (a program's whole command line) starts it as such a
// child; StartedAsSignatureCheckChild asks it of this process's own.
bool IsSignatureCheckCommandLine(const std::string& commandLine);
bool StartedAsSignatureCheckChild();

// The child's work: answers the requests of its standard input on its
// standard output, verifying each with verify. Returns the exit code.
int ServeSignatureChecks();

// The answer to a request as the child gives it, each file verified with
// verify (a handle that is no file on a disk is not verified).
std::string AnswerSignatureRequest(const std::string& request,
                                   FileSignature (*verify)(HANDLE file, const std::string& path));

// The results an answer tells for count requested files.
std::vector<FileSignature> ParseSignatureAnswer(const std::string& answer, size_t count);

}  // namespace vigilo
