// qbsha FILE: the program's own SHA-256 (CNG) over a file read in 256 KiB pieces, the read size of
// the restore road. Prints the digest, and the time spent hashing alone with its throughput: the
// reads are left out, so the figure is the hash's own.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: qbsha FILE\n", stderr);
        return 2;
    }
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the file (error %lu)\n", GetLastError());
        return 1;
    }
    try {
        auto hash = qb::platform::win32::Win32Hashing().NewSha256();
        std::vector<std::uint8_t> piece(256 * 1024);
        LARGE_INTEGER freq, before, after;
        QueryPerformanceFrequency(&freq);
        LONGLONG ticks = 0;
        unsigned long long total = 0;
        DWORD got = 0;
        while (ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr) && got) {
            QueryPerformanceCounter(&before);
            hash->Update({piece.data(), got});
            QueryPerformanceCounter(&after);
            ticks += after.QuadPart - before.QuadPart;
            total += got;
        }
        QueryPerformanceCounter(&before);
        const auto digest = hash->Finish();
        QueryPerformanceCounter(&after);
        ticks += after.QuadPart - before.QuadPart;
        CloseHandle(file);
        const double ms = 1000.0 * static_cast<double>(ticks) / static_cast<double>(freq.QuadPart);
        std::printf("sha256: ");
        for (const auto b : digest) std::printf("%02x", b);
        std::printf("\nbytes: %llu\nhashing: %.1f ms, %.1f MB/s\n", total, ms,
                    static_cast<double>(total) / 1e3 / ms);
        return 0;
    } catch (const qb::platform::Error&) {
        std::fputs("the hash failed\n", stderr);
        return 1;
    }
}
