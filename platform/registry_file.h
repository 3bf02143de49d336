// The registry file's text: the registry editor's export format, so a person
// can read and edit it and the editor could import it.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\SOFTWARE\MARNEK\Telmora]
//   @="default value"
//   "WavFile"="C:\\sounds\\hello.wav"
//   "MaxRecordSecs"=dword:0000012c
//   "When"=hex:00,00,00,00,80,b5,e5,40
//
// Text is stored as its bytes (UTF-8 in practice). Inside quotes \\ and \"
// stand for a backslash and a quote, and control characters are written as
// \n, \r, \t or \xHH so every value stays on its own line.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry_tree.h"

namespace platform {

constexpr const char* kRegFileHeader = "Windows Registry Editor Version 5.00";

// What is wrong with a registry file, and on which line (1-based).
struct RegFileError {
  int line;
  std::string what;
};

std::string FormatRegFile(const RegistryTree& tree);
// Throws RegFileError for anything it does not understand: a file it cannot
// read fully is never taken as partly right.
RegistryTree ParseRegFile(std::string_view text);

}  // namespace platform
