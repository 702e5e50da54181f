// Small registry helpers over the ANSI advapi32 calls, shared by the program's
// type registration and the uninstaller.  Every function takes the root key
// it works under, so tests run the same code against a scratch key (for
// instance HKEY_CURRENT_USER\Software\...\Scratch standing in for
// HKEY_CLASSES_ROOT).  A null or empty `subKey` means the root itself; a null
// or empty value name means the key's default (unnamed) value.
//
// Failures are reported by a false result; nothing here shows a message.
// Any thread may call these functions: they keep no state.
#pragma once

#include <windows.h>

#include <string>

namespace registry {

// Reads a string value (REG_SZ, or REG_EXPAND_SZ left unexpanded) of any
// length: the size is asked for first, and a value stored without its
// terminating zero is read whole.  False when the key or the value is missing
// or is not a string; an empty string value reads as true with "".
bool ReadString(HKEY root, const char* subKey, const char* name, std::string* value);

// The same into a caller's buffer of `size` bytes.  False (and an empty
// buffer) when the value is missing or does not fit with its zero.
bool ReadString(HKEY root, const char* subKey, const char* name, char* buffer, DWORD size);

// Reads a REG_DWORD value.
bool ReadDword(HKEY root, const char* subKey, const char* name, DWORD* value);

// Creates the key (and every missing key above it) and writes the value.
bool WriteString(HKEY root, const char* subKey, const char* name, const char* value);
bool WriteDword(HKEY root, const char* subKey, const char* name, DWORD value);

// Deletes one value; true when the value is gone afterwards (also when it
// was never there).
bool DeleteValue(HKEY root, const char* subKey, const char* name);

// Deletes the key with all its sub-keys and values; true when the key is
// gone afterwards (also when it was never there).  Refuses (false) an empty
// `subKey`: the root itself is never deleted.
bool DeleteTree(HKEY root, const char* subKey);

// Deletes the key only when it holds no value and no sub-key; true when it
// was deleted.
bool DeleteKeyIfEmpty(HKEY root, const char* subKey);

bool KeyExists(HKEY root, const char* subKey);
// Number of sub-keys and of values (the default value counts when set);
// false when the key cannot be opened.
bool CountKeyContents(HKEY root, const char* subKey, DWORD* subKeys, DWORD* values);

// The name of sub-key `index` (0-based, in the registry's order); false past
// the last one.
bool EnumSubKey(HKEY root, const char* subKey, DWORD index, std::string* name);

// A text picture of the key and everything below it, in the spirit of
// `reg export`: one "[path]" line per key (path relative to `subKey`, the key
// itself as "[]"), then its values sorted by name as `@="..."`,
// `"name"="..."`, `"name"=dword:0000002a` or `"name"=hex(type):..`; sub-keys
// sorted by name, case ignored.  Empty when the key does not exist.  Meant for
// comparing the registry before and after an operation.
std::string Export(HKEY root, const char* subKey);

}  // namespace registry
