// Owners of Win32 handles: each closes its handle with the function that
// belongs to it when it goes out of scope, and is moved, never copied.
#pragma once

#include <windows.h>

#include <utility>

namespace tavik {

// Traits give the handle type, the value that means "none", whether a
// value is a handle, and how to close one.
template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() = default;
  explicit UniqueHandle(Value handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Value get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  // For functions that hand a new handle out through a pointer: the one
  // held so far is closed first.
  Value* put() {
    reset();
    return &handle_;
  }
  Value release() { return std::exchange(handle_, Traits::None()); }
  void reset(Value handle = Traits::None()) {
    if (Traits::Valid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Value handle_ = Traits::None();
};

// Kernel objects (files, mutexes): the functions that make them answer
// failure with null or with INVALID_HANDLE_VALUE, so neither is a handle.
struct KernelHandleTraits {
  using Value = HANDLE;
  static Value None() { return nullptr; }
  static bool Valid(Value handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(Value handle) { CloseHandle(handle); }
};

// A directory search of FindFirstFile.
struct FindHandleTraits {
  using Value = HANDLE;
  static Value None() { return INVALID_HANDLE_VALUE; }
  static bool Valid(Value handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(Value handle) { FindClose(handle); }
};

// Handles whose "none" is null.
template <typename HandleType, typename Closer>
struct NullIsNoneTraits {
  using Value = HandleType;
  static Value None() { return nullptr; }
  static bool Valid(Value handle) { return handle != nullptr; }
  static void Close(Value handle) { Closer::Close(handle); }
};
struct DeleteGdiObject {
  static void Close(HGDIOBJ object) { DeleteObject(object); }
};
struct DestroyIconHandle {
  static void Close(HICON icon) { DestroyIcon(icon); }
};
struct DestroyMenuHandle {
  static void Close(HMENU menu) { DestroyMenu(menu); }
};
struct CloseRegistryKey {
  static void Close(HKEY key) { RegCloseKey(key); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
template <typename Object>
using GdiObject = UniqueHandle<NullIsNoneTraits<Object, DeleteGdiObject>>;
using FontHandle = GdiObject<HFONT>;
using PenHandle = GdiObject<HPEN>;
using IconHandle = UniqueHandle<NullIsNoneTraits<HICON, DestroyIconHandle>>;
using MenuHandle = UniqueHandle<NullIsNoneTraits<HMENU, DestroyMenuHandle>>;
using RegistryKey = UniqueHandle<NullIsNoneTraits<HKEY, CloseRegistryKey>>;

// A window's device context for drawing or measuring outside WM_PAINT,
// released to its window at the end.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace tavik
