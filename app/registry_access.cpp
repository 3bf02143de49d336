#include "app/registry_access.h"

#include <memory>

#include "platform/ui.h"

namespace {

void ShowProblem(const char* function, const Exception& error) {
  const AnsiString text = AnsiString("Internal Error in [PACKAGE method ") + function + "()] msg: " + error.Message;
  MessageBox(0, text.c_str(), "Problem Detected", MB_OK);
}

}  // namespace

Variant ReadFromRegistry(const AnsiString& asMachineName, HKEY hRootKey, const AnsiString& asKeyPath,
                         const AnsiString& asValueName, int iTypeCode) {
  Variant result = Variant::Null();
  if (asKeyPath.IsEmpty()) return result;
  auto registry = std::make_unique<TRegistry>();
  try {
    // The root is set before connecting so a connection is made for the
    // root that was asked for.
    registry->RootKey = hRootKey;
    if (!asMachineName.IsEmpty() && !registry->RegistryConnect("\\\\" + asMachineName)) return Variant(0);
    if (registry->OpenKey(asKeyPath, false)) {
      if (asValueName.IsEmpty() || registry->ValueExists(asValueName)) {
        switch (iTypeCode) {
          case varSmallint:
          case varInteger:
            result = registry->ReadInteger(asValueName);
            break;
          case varSingle:
          case varDouble:
            result = registry->ReadFloat(asValueName);
            break;
          case varCurrency:
            result = registry->ReadCurrency(asValueName);
            break;
          case varDate:
            result = Variant::FromDate(registry->ReadDate(asValueName));
            break;
          case varOleStr:
          case varByte:
          case varString:
            result = registry->ReadString(asValueName);
            break;
          case varBoolean:
            result = registry->ReadBool(asValueName);
            break;
          default:
            break;
        }
      }
    }
    registry->CloseKey();
  } catch (const Exception& error) {
    ShowProblem("ReadFromRegistry", error);
  }
  return result;
}

bool WriteToRegistry(const AnsiString& asMachineName, HKEY hRootKey, const AnsiString& asKeyPath,
                     const AnsiString& asValueName, const Variant& value) {
  bool result = false;
  if (asKeyPath.IsEmpty() || asValueName.IsEmpty()) return result;
  auto registry = std::make_unique<TRegistry>();
  try {
    registry->RootKey = hRootKey;
    if (!asMachineName.IsEmpty() && !registry->RegistryConnect("\\\\" + asMachineName)) return false;
    if (registry->OpenKey(asKeyPath, true)) {
      switch (value.VarType()) {
        case varSmallint:
        case varInteger:
          registry->WriteInteger(asValueName, value.ToInt());
          result = true;
          break;
        case varSingle:
        case varDouble:
          registry->WriteFloat(asValueName, value.ToDouble());
          result = true;
          break;
        case varCurrency:
          registry->WriteCurrency(asValueName, value.ToCurrency());
          result = true;
          break;
        case varDate:
          registry->WriteDate(asValueName, value.ToDate());
          result = true;
          break;
        case varOleStr:
        case varByte:
        case varString:
          registry->WriteString(asValueName, value.ToString());
          result = true;
          break;
        case varBoolean:
          registry->WriteBool(asValueName, value.ToBool());
          result = true;
          break;
        case varVariant:
          result = true;
          break;
        default:
          break;
      }
      RegFlushKey(HKEY_LOCAL_MACHINE);
    }
    registry->CloseKey();
  } catch (const Exception& error) {
    ShowProblem("WriteToRegistry", error);
  }
  return result;
}
