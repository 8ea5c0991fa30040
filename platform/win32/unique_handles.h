#pragma once

// Owning wrappers for the handles the Win32 layer creates.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace nimbrel::win32 {

template <typename Handle, auto Release>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle(); }
  Handle release() {
    Handle handle = handle_;
    handle_ = Handle();
    return handle;
  }
  void reset(Handle handle = Handle()) {
    if (handle_) Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Handle();
};

inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline void DestroyMenuHandle(HMENU menu) { ::DestroyMenu(menu); }
inline void CloseKeyHandle(HKEY key) { ::RegCloseKey(key); }
inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void FreeModuleHandle(HMODULE module) { ::FreeLibrary(module); }
inline void DeleteRegion(HRGN region) { ::DeleteObject(region); }
inline void DeleteFontHandle(HFONT font) { ::DeleteObject(font); }
inline void DeleteBitmapHandle(HBITMAP bitmap) { ::DeleteObject(bitmap); }

using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;
using UniqueKey = UniqueHandle<HKEY, CloseKeyHandle>;
using UniqueRegion = UniqueHandle<HRGN, DeleteRegion>;
using UniqueFont = UniqueHandle<HFONT, DeleteFontHandle>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteBitmapHandle>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;

// A COM interface pointer released when it goes out of scope.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = other.pointer_;
      other.pointer_ = nullptr;
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  Interface** Receive() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace nimbrel::win32

// BSTRs are declared in oleauto.h, which WIN32_LEAN_AND_MEAN keeps out of windows.h.
#include <oleauto.h>

namespace nimbrel::win32 {

inline void FreeBstr(BSTR text) { ::SysFreeString(text); }
inline void DestroyWindowHandle(HWND window) { ::DestroyWindow(window); }

using UniqueBstr = UniqueHandle<BSTR, FreeBstr>;
// Only for windows nothing else destroys first (a child dies with its parent).
using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;

}  // namespace nimbrel::win32

namespace nimbrel::win32 {

inline void DeleteDeviceContext(HDC context) { ::DeleteDC(context); }

// A memory device context from CreateCompatibleDC (not one from GetDC, which is released).
using UniqueDc = UniqueHandle<HDC, DeleteDeviceContext>;

}  // namespace nimbrel::win32
