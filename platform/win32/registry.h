#pragma once

#include <string>
#include <vector>

namespace platform {

enum class RegistryRoot { ClassesRoot, LocalMachine, CurrentUser };
enum class RegistryType { String, DWord, QWord };

// One registry value. An empty name addresses the key's default value.
struct RegistryValue
{
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::wstring key;
    std::wstring name;
    RegistryType type = RegistryType::String;
    std::wstring text; // for String
    unsigned long long number = 0; // for DWord (low 32 bits) and QWord
};

// Creates the key when needed and writes the value with its exact type in
// the process's default registry view. Returns ERROR_SUCCESS or the Windows
// error code.
long writeRegistryValue(const RegistryValue &value);

using RegistryWriter = long (*)(const RegistryValue &);

enum class RegistryScope { MachineWide, PerUser, None };

// Writes one registration (a protocol, an application path, an uninstall
// entry) as a whole: the machine-wide values first; when any of them fails,
// which is the rule for an installer without elevation, every per-user
// value instead. Each failed write adds one line naming the value and the
// error to failures. The writer is replaceable so that a machine-wide
// failure can be provoked on purpose.
RegistryScope writeRegistryEntry(const std::vector<RegistryValue> &machineWide,
                                 const std::vector<RegistryValue> &perUser,
                                 std::vector<std::wstring> *failures,
                                 RegistryWriter writer = writeRegistryValue);

// Reads a value back with its type; false when the key or value is missing
// or of another type than String, DWord or QWord.
bool readRegistryValue(RegistryRoot root, const std::wstring &key, const std::wstring &name,
                       RegistryValue *value);

// Removes a key with everything below it; true when it is gone.
bool deleteRegistryKey(RegistryRoot root, const std::wstring &key);

// "HKEY_CURRENT_USER\Software\...\(default)", for messages.
std::wstring describeRegistryValue(const RegistryValue &value);

} // namespace platform
