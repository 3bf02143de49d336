// The class library's registry class over the bench's registry store
// (registry_store.h). One object has at most one key open; paths use
// backslashes, and a path with a leading backslash starts at the root, any
// other is taken below the open key (or the root when none is open).
#pragma once

#include "platform/currency.h"
#include "platform/registry_types.h"
#include "platform/sysutils.h"

// "Invalid data type for '<name>'" when a value is read with the reader of
// another type, "Failed to get data for '<name>'" when a reader that has no
// empty result finds no value, "Failed to set data for '<name>'..." when a
// write is refused or cannot be saved.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class TRegistry {
 public:
  TRegistry() = default;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;
  ~TRegistry() { CloseKey(); }

  // The root that the next absolute path starts at. A key already open
  // stays with the root it was opened under.
  HKEY RootKey = HKEY_CURRENT_USER;
  // The open key's path below its root ("" when none is open).
  AnsiString CurrentPath() const { return currentPath_; }
  bool HasCurrentKey() const { return open_; }

  // Opens the key, creating it and its parents when canCreate. False when
  // it does not exist (and is not to be created), the path is malformed, or
  // it cannot be created.
  bool OpenKey(const AnsiString& key, bool canCreate);
  bool OpenKeyReadOnly(const AnsiString& key);
  void CloseKey();
  bool KeyExists(const AnsiString& key);

  bool ValueExists(const AnsiString& name);
  bool DeleteValue(const AnsiString& name);
  // rdUnknown when there is no such value.
  TRegDataType GetDataType(const AnsiString& name);
  // In bytes, text with its terminator as the host counts it; -1 when missing.
  int GetDataSize(const AnsiString& name);

  // "" when the value is missing.
  AnsiString ReadString(const AnsiString& name);
  void WriteString(const AnsiString& name, const AnsiString& value);
  int ReadInteger(const AnsiString& name);
  void WriteInteger(const AnsiString& name, int value);
  // A REG_DWORD: true when non-zero; written as 0 or 1.
  bool ReadBool(const AnsiString& name);
  void WriteBool(const AnsiString& name, bool value);
  // These three are 8-byte REG_BINARY values.
  double ReadFloat(const AnsiString& name);
  void WriteFloat(const AnsiString& name, double value);
  Currency ReadCurrency(const AnsiString& name);
  void WriteCurrency(const AnsiString& name, Currency value);
  TDateTime ReadDate(const AnsiString& name);
  void WriteDate(const AnsiString& name, TDateTime value);
  // Returns the bytes read; 0 when missing. A buffer smaller than the value
  // raises the invalid-data-type error.
  int ReadBinaryData(const AnsiString& name, void* buffer, int bufSize);
  void WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize);

  // Works on the named machine's registry ("\\name" or "name"). There are no
  // remote registries here: only an empty name, "localhost" or this host's
  // own name connect (to the local store); any other returns false.
  bool RegistryConnect(const AnsiString& machineName);

 private:
  bool Open(const AnsiString& key, bool canCreate, bool readOnly);
  // The path below the root that `key` names, seen from the open key.
  bool Resolve(const AnsiString& key, HKEY& root, std::string& path) const;
  void Write(const AnsiString& name, DWORD type, const void* data, std::size_t size);
  // The value when it has the expected type and, if given, size.
  std::vector<BYTE> Read(const AnsiString& name, DWORD type, int size);

  bool open_ = false;
  bool readOnly_ = false;
  HKEY currentRoot_ = HKEY_CURRENT_USER;
  AnsiString currentPath_;
};

// Every change is on disk when its write returns; this checks the handle.
LONG RegFlushKey(HKEY key);
