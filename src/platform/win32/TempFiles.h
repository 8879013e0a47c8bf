#pragma once
// Files written whole under a name of their own and moved into place in one step: the side file
// and restored files alike.

#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/win32/UniqueHandle.h"

namespace qb::platform::win32 {

// Creates "qbXXXXXXXX.tmp" in `folder` with CREATE_NEW, so the file is ours alone and a refusal
// comes with its real cause (GetTempFileName under Wine names a file it could not create). Puts
// the handle in `file` and returns the path; throws Error.
std::wstring CreateTemporaryFile(const std::wstring& folder, UniqueFile& file,
                                 DWORD access = GENERIC_WRITE,
                                 DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);

// Writes every byte, in pieces WriteFile can count; returns ERROR_SUCCESS or the error that
// stopped it (a write that succeeds with nothing written counts as a fault, not as a loop).
DWORD WriteWhole(HANDLE file, const void* bytes, std::size_t size);

// Windows refuses to replace a read-only file; Wine would replace it anyway, so callers ask first.
bool IsReadOnly(const std::wstring& path);

// MoveFileEx, retried for about a second while a virus scanner or indexer holds the file (or,
// when replacing, the older one). Returns ERROR_SUCCESS or the error that stopped it.
DWORD MoveWhenFree(const std::wstring& from, const std::wstring& to, DWORD flags);

}  // namespace qb::platform::win32
