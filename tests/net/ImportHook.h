#pragma once
// Replaces one imported function in this program's import table for the life
// of the object, so a test can make a system call fail or watch its arguments
// without touching the code under test.
#include <windows.h>

#include <cstring>

class ImportHook {
public:
    ImportHook(const char* dll, const char* function, void* replacement) {
        HMODULE library = GetModuleHandleA(dll);
        void* target = library ? reinterpret_cast<void*>(GetProcAddress(library, function)) : nullptr;
        slot_ = target ? FindSlot(dll, target) : nullptr;
        if (slot_ != nullptr) {
            original_ = *slot_;
            Write(replacement);
        }
    }
    ~ImportHook() {
        if (slot_ != nullptr) Write(original_);
    }
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool installed() const { return slot_ != nullptr; }
    void* original() const { return original_; }

private:
    static void** FindSlot(const char* dll, void* target) {
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (directory.VirtualAddress == 0) return nullptr;
        auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
        for (; import->Name != 0; ++import) {
            if (_stricmp(reinterpret_cast<const char*>(base + import->Name), dll) != 0) continue;
            auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
            for (; thunk->u1.Function != 0; ++thunk) {
                if (reinterpret_cast<void*>(thunk->u1.Function) == target) {
                    return reinterpret_cast<void**>(&thunk->u1.Function);
                }
            }
        }
        return nullptr;
    }

    void Write(void* value) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old);
        *slot_ = value;
        VirtualProtect(slot_, sizeof(void*), old, &old);
    }

    void** slot_ = nullptr;
    void* original_ = nullptr;
};

// A disk that fills up: while the object lives, this program's WriteFile
// calls write `room` more bytes in all and then fail with ERROR_DISK_FULL.
class FullDisk {
public:
    explicit FullDisk(DWORD room) : hook_("kernel32.dll", "WriteFile", reinterpret_cast<void*>(&Write)) {
        Real() = reinterpret_cast<WriteFn>(hook_.original());
        Room() = room;
    }
    bool installed() const { return hook_.installed(); }
    void SetRoom(DWORD room) { Room() = room; }

private:
    typedef BOOL(WINAPI* WriteFn)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    static WriteFn& Real() {
        static WriteFn real = nullptr;
        return real;
    }
    static DWORD& Room() {
        static DWORD room = 0;
        return room;
    }
    static BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
        const DWORD part = count < Room() ? count : Room();
        Room() -= part;
        const BOOL ok = part == 0 || Real()(file, bytes, part, written, overlapped);
        if (written != nullptr) *written = part;
        if (part < count) SetLastError(ERROR_DISK_FULL);
        return ok && part == count;
    }

    ImportHook hook_;
};
