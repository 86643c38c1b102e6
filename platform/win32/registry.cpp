#include "platform/win32/registry.h"

#include <windows.h>

namespace platform {

namespace {

HKEY rootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser:
        break;
    }
    return HKEY_CURRENT_USER;
}

const wchar_t *rootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return L"HKEY_CLASSES_ROOT";
    case RegistryRoot::LocalMachine:
        return L"HKEY_LOCAL_MACHINE";
    case RegistryRoot::CurrentUser:
        break;
    }
    return L"HKEY_CURRENT_USER";
}

} // namespace

long writeRegistryValue(const RegistryValue &value)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(rootKey(value.root), value.key.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS)
        return result;

    const wchar_t *name = value.name.empty() ? nullptr : value.name.c_str();
    switch (value.type) {
    case RegistryType::String: {
        // The size counts the terminating zero, as REG_SZ expects.
        const DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
        result = RegSetValueExW(key, name, 0, REG_SZ,
                                reinterpret_cast<const BYTE *>(value.text.c_str()), bytes);
        break;
    }
    case RegistryType::DWord: {
        const DWORD data = static_cast<DWORD>(value.number);
        result = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data),
                                sizeof data);
        break;
    }
    case RegistryType::QWord: {
        const unsigned long long data = value.number;
        result = RegSetValueExW(key, name, 0, REG_QWORD, reinterpret_cast<const BYTE *>(&data),
                                sizeof data);
        break;
    }
    }
    RegCloseKey(key);
    return result;
}

RegistryScope writeRegistryEntry(const std::vector<RegistryValue> &machineWide,
                                 const std::vector<RegistryValue> &perUser,
                                 std::vector<std::wstring> *failures, RegistryWriter writer)
{
    const auto writeAll = [&](const std::vector<RegistryValue> &values) {
        bool allWritten = true;
        for (const RegistryValue &value : values) {
            const long result = writer(value);
            if (result != ERROR_SUCCESS) {
                allWritten = false;
                if (failures)
                    failures->push_back(describeRegistryValue(value) + L" (error "
                                        + std::to_wstring(result) + L")");
            }
        }
        return allWritten;
    };

    if (writeAll(machineWide))
        return RegistryScope::MachineWide;
    if (!perUser.empty() && writeAll(perUser))
        return RegistryScope::PerUser;
    return RegistryScope::None;
}

bool readRegistryValue(RegistryRoot root, const std::wstring &key, const std::wstring &name,
                       RegistryValue *value)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(rootKey(root), key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;

    const wchar_t *valueName = name.empty() ? nullptr : name.c_str();
    DWORD type = 0;
    DWORD bytes = 0;
    bool ok = RegQueryValueExW(handle, valueName, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS;
    std::vector<BYTE> data(bytes + sizeof(wchar_t), 0);
    ok = ok
        && RegQueryValueExW(handle, valueName, nullptr, &type, data.data(), &bytes)
            == ERROR_SUCCESS;
    RegCloseKey(handle);
    if (!ok)
        return false;

    value->root = root;
    value->key = key;
    value->name = name;
    value->text.clear();
    value->number = 0;
    if (type == REG_SZ) {
        value->type = RegistryType::String;
        value->text.assign(reinterpret_cast<const wchar_t *>(data.data()), bytes / sizeof(wchar_t));
        while (!value->text.empty() && value->text.back() == L'\0')
            value->text.pop_back();
    } else if (type == REG_DWORD && bytes == sizeof(DWORD)) {
        value->type = RegistryType::DWord;
        value->number = *reinterpret_cast<const DWORD *>(data.data());
    } else if (type == REG_QWORD && bytes == sizeof(unsigned long long)) {
        value->type = RegistryType::QWord;
        value->number = *reinterpret_cast<const unsigned long long *>(data.data());
    } else {
        return false;
    }
    return true;
}

bool deleteRegistryKey(RegistryRoot root, const std::wstring &key)
{
    // RegDeleteTreeW empties the key (and, on current systems, removes it);
    // RegDeleteKeyW takes away what may be left of it.
    RegDeleteTreeW(rootKey(root), key.c_str());
    RegDeleteKeyW(rootKey(root), key.c_str());
    HKEY handle = nullptr;
    if (RegOpenKeyExW(rootKey(root), key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return true;
    RegCloseKey(handle);
    return false;
}

std::wstring describeRegistryValue(const RegistryValue &value)
{
    return std::wstring(rootName(value.root)) + L'\\' + value.key + L'\\'
        + (value.name.empty() ? std::wstring(L"(default)") : value.name);
}

} // namespace platform
