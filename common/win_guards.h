// Owners for the Win32 resources a block takes and must give back on every
// way out of it: a held critical section, a window's DC, a memory DC, a GDI
// object or a palette selected into a DC, a GDI object to delete, a kernel
// handle, a loaded module.  None of them can be copied: a copy would give the
// resource back twice.  Header-only, so any floor above the imaging library
// can use it.
#pragma once

#include <windows.h>

// A critical section that lives as long as its owner (Initialize/Delete).
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    CRITICAL_SECTION* get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section from construction to the end of the block.
class SectionLock {
public:
    explicit SectionLock(CRITICAL_SECTION* section) : section_(section) { EnterCriticalSection(section_); }
    explicit SectionLock(CriticalSection& section) : SectionLock(section.get()) {}
    ~SectionLock() { LeaveCriticalSection(section_); }
    SectionLock(const SectionLock&) = delete;
    SectionLock& operator=(const SectionLock&) = delete;

private:
    CRITICAL_SECTION* section_;
};

// A window's device context (GetDC), released with ReleaseDC.  A null window
// gives the screen's.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another (CreateCompatibleDC; null
// for one compatible with the screen), deleted with DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// Selects a GDI object into a DC and selects the previous one back at the end
// of the block, so that the object can be deleted afterwards.  A null object
// selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Selects a palette into a DC (SelectPalette; SelectObject does not take
// palettes) and selects the previous one back at the end of the block, in the
// same foreground or background mode.  A null palette selects nothing.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE palette, BOOL background = FALSE)
        : dc_(dc), background_(background), old_(palette ? SelectPalette(dc, palette, background) : nullptr) {}
    ~SelectedPalette() {
        if (old_) SelectPalette(dc_, old_, background_);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

private:
    HDC dc_;
    BOOL background_;
    HPALETTE old_;
};

// A GDI object (pen, brush, font, bitmap, region, palette) deleted with
// DeleteObject unless released.  Declare it before the SelectedObject that
// selects it, so that it is selected out before it is deleted.
template <typename T>
class GdiObject {
public:
    explicit GdiObject(T object = nullptr) : object_(object) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    T get() const { return object_; }
    operator T() const { return object_; }
    // Gives the object to the caller, who deletes it.
    T release() {
        T object = object_;
        object_ = nullptr;
        return object;
    }
    void reset(T object = nullptr) {
        if (object_) DeleteObject(object_);
        object_ = object;
    }

private:
    T object_;
};

// A kernel object handle closed with CloseHandle.  Both null and
// INVALID_HANDLE_VALUE mean "none".
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void reset(HANDLE handle = nullptr) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

// A module from LoadLibrary, freed with FreeLibrary unless released.
class OwnedModule {
public:
    explicit OwnedModule(HMODULE module = nullptr) : module_(module) {}
    ~OwnedModule() { reset(); }
    OwnedModule(const OwnedModule&) = delete;
    OwnedModule& operator=(const OwnedModule&) = delete;
    HMODULE get() const { return module_; }
    operator HMODULE() const { return module_; }
    HMODULE release() {
        HMODULE module = module_;
        module_ = nullptr;
        return module;
    }
    void reset(HMODULE module = nullptr) {
        if (module_) FreeLibrary(module_);
        module_ = module;
    }

private:
    HMODULE module_;
};
