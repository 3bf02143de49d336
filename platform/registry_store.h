// The bench's registry: one store per user, kept in a registry file
// (UserDataDir()/registry.reg, see registry_file.h) and shared by every
// TRegistry of the process.
//
// The file is read on first use and written again after every change. A save
// writes <file>.<pid>.tmp in the same folder, syncs it and renames it over
// the file, so a crash leaves either the old or the new contents. A change
// that cannot be saved is undone and reported, so memory and file agree.
//
// A file that cannot be read or understood is moved aside to
// <file>.damaged-<yyyymmdd-hhnnss>, one message box (caption "Registry")
// names the file, the line and the fault, and the store starts empty. If it
// cannot be moved aside, nothing is saved over it.
//
// Thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_types.h"
#include "platform/sysutils.h"

namespace platform {

// Key paths here are relative to the root, parts joined by single
// backslashes, no leading or trailing one; "" is the root itself. Only
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are held; other roots hold
// nothing and accept nothing.
namespace registry_store {

bool KeyExists(HKEY root, std::string_view path);
// Creates the key and its parents. False, with `error` set, when the change
// cannot be saved (nothing changed then).
bool CreateKey(HKEY root, std::string_view path, std::string& error);
std::optional<RegistryValue> GetValue(HKEY root, std::string_view path, std::string_view name);
// The key must exist.
bool SetValue(HKEY root, std::string_view path, std::string_view name, RegistryValue value, std::string& error);
// False with `error` empty when there was no such value.
bool DeleteValue(HKEY root, std::string_view path, std::string_view name, std::string& error);

}  // namespace registry_store

// Where the registry file lives: UserDataDir() + "/registry.reg".
AnsiString RegistryFilePath();

// Forgets what was loaded; the next use reads the file again, from the
// TELMORA_HOME in force then.
void ResetRegistryStoreForTests();

}  // namespace platform
