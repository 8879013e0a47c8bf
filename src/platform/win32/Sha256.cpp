// SHA-256 through CNG, with only the calls Windows 7 has: no one-shot BCryptHash, no
// pseudo-handles, no reusable hash objects.
#include <windows.h>
#include <bcrypt.h>
#include <winternl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Restore.h"

namespace qb::platform::win32 {
namespace {

// BCryptHashData takes a 32-bit count.
constexpr std::size_t kHashChunk = std::size_t{1} << 30;

// CNG reports an NTSTATUS; the Win32 code for it has a message FormatMessage knows. A status
// without one is carried as it is.
[[noreturn]] void ThrowStatus(std::wstring operation, NTSTATUS status) {
    const ULONG code = RtlNtStatusToDosError(status);
    ThrowError(std::move(operation),
               code == ERROR_MR_MID_NOT_FOUND ? static_cast<std::uint32_t>(status) : code);
}

struct AlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { BCryptDestroyHash(h); }
};
using UniqueAlgorithm = UniqueAny<AlgorithmTraits>;
using UniqueHash = UniqueAny<HashTraits>;

class CngSha256 final : public Sha256 {
public:
    CngSha256() {
        BCRYPT_ALG_HANDLE algorithm = nullptr;
        if (const NTSTATUS s = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM,
                                                           nullptr, 0);
            !BCRYPT_SUCCESS(s))
            ThrowStatus(L"BCryptOpenAlgorithmProvider", s);
        algorithm_.reset(algorithm);
        // Windows 7 does not allocate the hash object itself: it lives in our buffer.
        DWORD objectBytes = 0;
        ULONG got = 0;
        if (const NTSTATUS s = BCryptGetProperty(algorithm, BCRYPT_OBJECT_LENGTH,
                                                 reinterpret_cast<PUCHAR>(&objectBytes),
                                                 sizeof objectBytes, &got, 0);
            !BCRYPT_SUCCESS(s))
            ThrowStatus(L"BCryptGetProperty", s);
        object_.resize(objectBytes);
        BCRYPT_HASH_HANDLE hash = nullptr;
        if (const NTSTATUS s = BCryptCreateHash(algorithm, &hash, object_.data(), objectBytes,
                                                nullptr, 0, 0);
            !BCRYPT_SUCCESS(s))
            ThrowStatus(L"BCryptCreateHash", s);
        hash_.reset(hash);
    }

    void Update(std::span<const std::uint8_t> bytes) override {
        if (!hash_) throw std::logic_error("Sha256::Update after Finish");
        for (std::size_t at = 0; at < bytes.size();) {
            const ULONG chunk = static_cast<ULONG>(std::min(bytes.size() - at, kHashChunk));
            if (const NTSTATUS s = BCryptHashData(hash_.get(), const_cast<PUCHAR>(bytes.data() + at),
                                                  chunk, 0);
                !BCRYPT_SUCCESS(s))
                ThrowStatus(L"BCryptHashData", s);
            at += chunk;
        }
    }

    Sha256Digest Finish() override {
        if (!hash_) throw std::logic_error("Sha256::Finish twice");
        Sha256Digest digest;
        const NTSTATUS s = BCryptFinishHash(hash_.get(), digest.data(), digest.size(), 0);
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

std::unique_ptr<Sha256> Win32RestoreFiles::NewSha256() { return std::make_unique<CngSha256>(); }

}  // namespace qb::platform::win32
