// Where the bench keeps a person's files: the registry file and the
// simulated line's device file. TELMORA_HOME moves the whole folder, so
// tests never touch a person's own files.
#pragma once

#include "platform/sysutils.h"

namespace platform {
// $TELMORA_HOME, else $XDG_CONFIG_HOME/telmora, else $HOME/.config/telmora.
// Created on first use.
AnsiString UserDataDir();
}  // namespace platform
