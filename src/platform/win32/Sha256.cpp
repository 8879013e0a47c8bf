// SHA-256 through CNG, with only the calls Windows 7 has: no one-shot BCryptHash, no
// pseudo-handles, no reusable hash objects. bcrypt.dll is no KnownDLL on Windows 7, so an import
// of it would load a bcrypt.dll planted beside the program (a Downloads folder, say): it is loaded
// from the system folder by its full path instead, and its functions looked up.
#include <windows.h>
#include <bcrypt.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <stdexcept>
#include <vector>

#include "platform/Error.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

// BCryptHashData takes a 32-bit count.
constexpr std::size_t kHashChunk = std::size_t{1} << 30;

struct Cng {
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithm;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithm;
    decltype(&BCryptGetProperty) getProperty;
    decltype(&BCryptCreateHash) createHash;
    decltype(&BCryptHashData) hashData;
    decltype(&BCryptFinishHash) finishHash;
    decltype(&BCryptDestroyHash) destroyHash;
};

template <typename F>
void Find(HMODULE module, const char* name, F& function) {
    function = FindFunction<F>(module, name);
    if (!function) ThrowLastError(L"GetProcAddress");
}

// Loaded once for the life of the process; a failure is thrown, and the next hash tries again.
const Cng& Functions() {
    static const Cng cng = [] {
        const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
        if (!module) ThrowLastError(L"LoadLibrary");
        Cng f{};
        Find(module, "BCryptOpenAlgorithmProvider", f.openAlgorithm);
        Find(module, "BCryptCloseAlgorithmProvider", f.closeAlgorithm);
        Find(module, "BCryptGetProperty", f.getProperty);
        Find(module, "BCryptCreateHash", f.createHash);
        Find(module, "BCryptHashData", f.hashData);
        Find(module, "BCryptFinishHash", f.finishHash);
        Find(module, "BCryptDestroyHash", f.destroyHash);
        return f;
    }();
    return cng;
}

// CNG reports an NTSTATUS; the Win32 code for it has a message FormatMessage knows. A status
// without one is carried as it is.
[[noreturn]] void ThrowStatus(std::wstring operation, NTSTATUS status) {
    const ULONG code = RtlNtStatusToDosError(status);
    if (code == ERROR_MR_MID_NOT_FOUND)
        ThrowError(std::move(operation), static_cast<std::uint32_t>(status), ErrorKind::kNtStatus);
    ThrowError(std::move(operation), code);
}

struct AlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { Functions().closeAlgorithm(h, 0); }
};
struct HashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { Functions().destroyHash(h); }
};
using UniqueAlgorithm = UniqueAny<AlgorithmTraits>;
using UniqueHash = UniqueAny<HashTraits>;

class CngSha256 final : public Sha256 {
public:
    CngSha256() {
        BCRYPT_ALG_HANDLE algorithm = nullptr;
        if (const NTSTATUS s = Functions().openAlgorithm(&algorithm, BCRYPT_SHA256_ALGORITHM,
                                                         nullptr, 0);
            !BCRYPT_SUCCESS(s))
            ThrowStatus(L"BCryptOpenAlgorithmProvider", s);
        algorithm_.reset(algorithm);
        // Windows 7 does not allocate the hash object itself: it lives in our buffer.
        DWORD objectBytes = 0;
        ULONG got = 0;
        if (const NTSTATUS s = Functions().getProperty(algorithm, BCRYPT_OBJECT_LENGTH,
                                                 reinterpret_cast<PUCHAR>(&objectBytes),
                                                 sizeof objectBytes, &got, 0);
            !BCRYPT_SUCCESS(s))
            ThrowStatus(L"BCryptGetProperty", s);
        object_.resize(objectBytes);
        BCRYPT_HASH_HANDLE hash = nullptr;
        if (const NTSTATUS s = Functions().createHash(algorithm, &hash, object_.data(), objectBytes,
                                                nullptr, 0, 0);
            !BCRYPT_SUCCESS(s))
            ThrowStatus(L"BCryptCreateHash", s);
        hash_.reset(hash);
    }

    void Update(std::span<const std::uint8_t> bytes) override {
        if (!hash_) throw std::logic_error("Sha256::Update after Finish");
        for (std::size_t at = 0; at < bytes.size();) {
            const ULONG chunk = static_cast<ULONG>(std::min(bytes.size() - at, kHashChunk));
            if (const NTSTATUS s = Functions().hashData(hash_.get(), const_cast<PUCHAR>(bytes.data() + at),
                                                  chunk, 0);
                !BCRYPT_SUCCESS(s))
                ThrowStatus(L"BCryptHashData", s);
            at += chunk;
        }
    }

    Sha256Digest Finish() override {
        if (!hash_) throw std::logic_error("Sha256::Finish twice");
        Sha256Digest digest;
        const NTSTATUS s = Functions().finishHash(hash_.get(), digest.data(), digest.size(), 0);
        hash_.reset();  // a finished hash object takes no more data
        if (!BCRYPT_SUCCESS(s)) ThrowStatus(L"BCryptFinishHash", s);
        return digest;
    }

private:
    // Declared in this order so the hash goes before its object buffer and its provider.
    UniqueAlgorithm algorithm_;
    std::vector<UCHAR> object_;
    UniqueHash hash_;
};

}  // namespace

std::unique_ptr<Sha256> Win32Hashing::NewSha256() { return std::make_unique<CngSha256>(); }

}  // namespace qb::platform::win32
