// Reading and writing single registry values as the window's settings do: numbers come back as
// text ("000" padded), raw bytes as hexadecimal, text as stored. Failures never reach the caller.
#pragma once

#include <string>
#include <variant>

#include "platform/registry/registry.h"

namespace arkstash::registry {

// The settings key of the window, under HKEY_CURRENT_USER.
inline constexpr const char* kSettingsKey = "Software\\Arkstash\\";

// The value's text by its kind; `defaultValue` when it cannot be read.
std::string RegRead(Registry& reg, Root root, const std::string& subKey,
                    const std::string& valueName, const std::string& defaultValue);

// `kind` REG_DWORD stores the value as a signed 32-bit number, REG_SZ as text. Errors ignored.
void RegWrite(Registry& reg, Root root, const std::string& subKey, const std::string& valueName,
              int kind, const std::variant<long long, std::string>& value);

// The runtime's per-user settings store (GetSetting / SaveSetting), kept under
// "Software\VB and VBA Program Settings\<app>\<section>" of HKEY_CURRENT_USER. GetSetting answers
// the default on any failure; SaveSetting throws PlatformError when the value cannot be stored,
// as the runtime's does, and leaves no key open.
std::string GetSetting(Registry& reg, const std::string& app, const std::string& section,
                       const std::string& key, const std::string& defaultValue);
void SaveSetting(Registry& reg, const std::string& app, const std::string& section,
                 const std::string& key, const std::string& value);

}  // namespace arkstash::registry
