// The Windows file calls a save makes.  A test puts its own in their place to make each of them
// fail the way Windows documents, and to count the waits between attempts.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace pindle::platform {

struct SaveCalls {
  DWORD(WINAPI* getFileAttributes)(LPCWSTR) = ::GetFileAttributesW;
  HANDLE(WINAPI* createFile)
  (LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) = ::CreateFileW;
  BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = ::WriteFile;
  BOOL(WINAPI* flushFileBuffers)(HANDLE) = ::FlushFileBuffers;
  BOOL(WINAPI* closeHandle)(HANDLE) = ::CloseHandle;
  BOOL(WINAPI* replaceFile)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID) = ::ReplaceFileW;
  BOOL(WINAPI* moveFile)(LPCWSTR, LPCWSTR, DWORD) = ::MoveFileExW;
  BOOL(WINAPI* deleteFile)(LPCWSTR) = ::DeleteFileW;
  void(WINAPI* sleep)(DWORD) = ::Sleep;
};

// ReplaceFileContents (text_file.h) through these calls.
void ReplaceFileContents(const std::u16string& path, std::string_view bytes,
                         const SaveCalls& calls);

}  // namespace pindle::platform
