#pragma once
// Who signed a file, as Windows' Authenticode check tells it: WinVerifyTrust
// with the generic verify action, no user interface, no revocation check and
// no URL retrieval, so nothing goes to the network. The file is passed by the
// handle it was opened with, so the file verified is the one opened.
// wintrust.dll and crypt32.dll are loaded from the system folder at the
// first check, not imported: most runs of the program never check a file.
#include <windows.h>

#include <string>

namespace vigilo {

enum class SignatureState {
    Signed,     // verified, by a signer Windows trusts
    NotSigned,  // TRUST_E_NOSIGNATURE
    Broken,     // TRUST_E_BAD_DIGEST: the file was changed after signing
    Untrusted,  // verified signature, but its certificate chain is not trusted
    Unknown,    // anything else (not checked, not a signable file, no signer's name): nothing to say
};

struct FileSignature {
    SignatureState state = SignatureState::Unknown;
    std::string signer;  // the signing certificate's name, for Signed and Untrusted
};

// The state a WinVerifyTrust result stands for.
SignatureState SignatureStateOfResult(LONG result);

// Verifies the signature of file, opened for reading from path. Signed and
// Untrusted come with the signer's name, or count as Unknown without one.
FileSignature VerifyFileSignature(HANDLE file, const std::string& path);

// Test seam: where set, the verification's result is passed through filter
// before it is classified (the signer's name still comes from the real
// verification). Null restores the real result.
using TrustResultFilter = LONG (*)(LONG verified);
void SetTrustResultFilterForTests(TrustResultFilter filter);

}  // namespace vigilo
