#include "platform/authenticode.h"

// clang-format off
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include <atomic>

#include "platform/system_library.h"
#include "platform/text.h"

namespace vigilo {
namespace {

struct TrustFunctions {
    LONG(WINAPI* winVerifyTrust)(HWND, GUID*, void*) = nullptr;
    CRYPT_PROVIDER_DATA*(WINAPI* providerData)(HANDLE) = nullptr;
    CRYPT_PROVIDER_SGNR*(WINAPI* signerOfChain)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD) = nullptr;
    DWORD(WINAPI* certificateName)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD) = nullptr;

    bool Loaded() const { return winVerifyTrust && providerData && signerOfChain && certificateName; }
};

// Loaded once, at the first check, and kept: a checker thread that outlives
// its caller may still be inside them.
const TrustFunctions& Trust() {
    static const TrustFunctions functions = [] {
        TrustFunctions found;
        const HMODULE wintrust = LoadSystemLibrary(L"wintrust.dll");
        const HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
        FindExport(wintrust, "WinVerifyTrust", found.winVerifyTrust);
        FindExport(wintrust, "WTHelperProvDataFromStateData", found.providerData);
        FindExport(wintrust, "WTHelperGetProvSignerFromChain", found.signerOfChain);
        FindExport(crypt32, "CertGetNameStringW", found.certificateName);
        return found;
    }();
    return functions;
}

std::atomic<TrustResultFilter> resultFilter{nullptr};

// The signing certificate's display name from the verification's provider data.
std::string SignerName(const TrustFunctions& trust, HANDLE stateData) {
    CRYPT_PROVIDER_DATA* provider = stateData ? trust.providerData(stateData) : nullptr;
    CRYPT_PROVIDER_SGNR* signer = provider ? trust.signerOfChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) return {};
    const PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
    const DWORD length = trust.certificateName(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (length <= 1) return {};
    std::wstring name(length, L'\0');
    const DWORD written =
        trust.certificateName(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length);
    name.resize(written > 0 ? written - 1 : 0);
    return TrimControlAndBlanks(Utf8(name));
}

}  // namespace

SignatureState SignatureStateOfResult(LONG result) {
    switch (static_cast<HRESULT>(result)) {
        case S_OK: return SignatureState::Signed;
        case TRUST_E_NOSIGNATURE: return SignatureState::NotSigned;
        case TRUST_E_BAD_DIGEST: return SignatureState::Broken;
        // The signature holds, but the chain of its certificate does not lead to trust.
        case CERT_E_UNTRUSTEDROOT:
        case CERT_E_CHAINING:
        case CERT_E_UNTRUSTEDTESTROOT:
        case CERT_E_UNTRUSTEDCA:
        case CERT_E_EXPIRED:
        case CERT_E_VALIDITYPERIODNESTING:
        case CERT_E_ROLE:
        case CERT_E_PATHLENCONST:
        case CERT_E_CRITICAL:
        case CERT_E_PURPOSE:
        case CERT_E_ISSUERCHAINING:
        case CERT_E_MALFORMED:
        case CERT_E_REVOKED:
        case CERT_E_REVOCATION_FAILURE:
        case CERT_E_WRONG_USAGE:
        case CERT_E_INVALID_POLICY:
        case CERT_E_INVALID_NAME:
        case TRUST_E_EXPLICIT_DISTRUST:
        case TRUST_E_CERT_SIGNATURE:
        case TRUST_E_BASIC_CONSTRAINTS: return SignatureState::Untrusted;
        default: return SignatureState::Unknown;
    }
}

FileSignature VerifyFileSignature(HANDLE file, const std::string& path) {
    const TrustFunctions& trust = Trust();
    if (!trust.Loaded() || file == nullptr || file == INVALID_HANDLE_VALUE) return {};
    const std::wstring widePath = Utf16(path);

    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof(fileInfo);
    fileInfo.pcwszFilePath = widePath.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;

    LONG result = trust.winVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (const TrustResultFilter filter = resultFilter.load()) result = filter(result);
    FileSignature signature{SignatureStateOfResult(result), {}};
    if (signature.state == SignatureState::Signed || signature.state == SignatureState::Untrusted) {
        signature.signer = SignerName(trust, data.hWVTStateData);
        if (signature.signer.empty()) signature.state = SignatureState::Unknown;
    }

    data.dwStateAction = WTD_STATEACTION_CLOSE;
    trust.winVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return signature;
}

void SetTrustResultFilterForTests(TrustResultFilter filter) { resultFilter.store(filter); }

}  // namespace vigilo
