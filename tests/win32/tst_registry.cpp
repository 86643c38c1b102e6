// Registry values written with their exact types, and the per-user copy that
// is written when the machine-wide keys refuse the write.
#include "check.h"
#include "platform/win32/registry.h"

#include <windows.h>

using platform::RegistryRoot;
using platform::RegistryScope;
using platform::RegistryType;
using platform::RegistryValue;

namespace {

const std::wstring protocolKey = L"korvantvelmartest";
const std::wstring uninstallKey
    = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmarTest";

RegistryValue text(RegistryRoot root, const std::wstring &key, const std::wstring &name,
                   const std::wstring &data)
{
    RegistryValue value;
    value.root = root;
    value.key = key;
    value.name = name;
    value.type = RegistryType::String;
    value.text = data;
    return value;
}

RegistryValue number(RegistryRoot root, const std::wstring &key, const std::wstring &name,
                     RegistryType type, unsigned long long data)
{
    RegistryValue value;
    value.root = root;
    value.key = key;
    value.name = name;
    value.type = type;
    value.number = data;
    return value;
}

bool readsBackAs(const RegistryValue &expected)
{
    RegistryValue actual;
    if (!platform::readRegistryValue(expected.root, expected.key, expected.name, &actual))
        return false;
    return actual.type == expected.type && actual.text == expected.text
        && actual.number == expected.number;
}

// The raw type as Windows stores it, independent of our own reader.
DWORD rawType(HKEY root, const std::wstring &key, const wchar_t *name)
{
    DWORD type = REG_NONE;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) == ERROR_SUCCESS) {
        RegQueryValueExW(handle, name, nullptr, &type, nullptr, nullptr);
        RegCloseKey(handle);
    }
    return type;
}

std::vector<RegistryValue> protocolValues(RegistryRoot root, const std::wstring &key)
{
    return {
        text(root, key, L"", L"Velmar link"),
        text(root, key, L"URL Protocol", L""),
        text(root, key + L"\\shell", L"", L"open"),
        text(root, key + L"\\shell\\open\\command", L"", L"\"C:\\P\\Velmar.exe\" \"%1\""),
    };
}

// Stands in for a process without administrator rights.
long refuseMachineWide(const RegistryValue &value)
{
    if (value.root == RegistryRoot::ClassesRoot || value.root == RegistryRoot::LocalMachine)
        return ERROR_ACCESS_DENIED;
    return platform::writeRegistryValue(value);
}

long refuseEverything(const RegistryValue &)
{
    return ERROR_ACCESS_DENIED;
}

void testTypesReadBack()
{
    const std::vector<RegistryValue> values = {
        text(RegistryRoot::CurrentUser, uninstallKey, L"DisplayName", L"Velmar \u00e9\u4e2d"),
        text(RegistryRoot::CurrentUser, uninstallKey, L"HelpLink", L""),
        number(RegistryRoot::CurrentUser, uninstallKey, L"EstimatedSize", RegistryType::DWord,
               0xFFFFFFFFull),
        number(RegistryRoot::CurrentUser, uninstallKey, L"NoRepair", RegistryType::DWord, 1),
        number(RegistryRoot::CurrentUser, uninstallKey, L"Big", RegistryType::QWord,
               0x123456789ull),
    };
    for (const RegistryValue &value : values)
        CHECK(platform::writeRegistryValue(value) == ERROR_SUCCESS);
    for (const RegistryValue &value : values)
        CHECK(readsBackAs(value));
    CHECK(rawType(HKEY_CURRENT_USER, uninstallKey, L"DisplayName") == REG_SZ);
    CHECK(rawType(HKEY_CURRENT_USER, uninstallKey, L"EstimatedSize") == REG_DWORD);
    CHECK(rawType(HKEY_CURRENT_USER, uninstallKey, L"Big") == REG_QWORD);
    CHECK(platform::deleteRegistryKey(RegistryRoot::CurrentUser, uninstallKey));
    RegistryValue gone;
    CHECK(!platform::readRegistryValue(RegistryRoot::CurrentUser, uninstallKey, L"DisplayName",
                                       &gone));
}

void testMachineWideWhenAllowed()
{
    // The throw-away prefix lets us write machine-wide; the default value
    // ("(default)") must land as the key's unnamed value.
    const auto machine = protocolValues(RegistryRoot::ClassesRoot, protocolKey);
    const auto user
        = protocolValues(RegistryRoot::CurrentUser, L"Software\\Classes\\" + protocolKey);
    std::vector<std::wstring> failures;
    const RegistryScope scope = platform::writeRegistryEntry(machine, user, &failures);
    if (scope != RegistryScope::MachineWide) {
        std::printf("note: machine-wide writes refused here, skipping that part\n");
        return;
    }
    CHECK(failures.empty());
    for (const RegistryValue &value : machine)
        CHECK(readsBackAs(value));
    CHECK(rawType(HKEY_CLASSES_ROOT, protocolKey + L"\\shell\\open\\command", nullptr) == REG_SZ);
    RegistryValue notWritten;
    CHECK(!platform::readRegistryValue(RegistryRoot::CurrentUser,
                                       L"Software\\Classes\\" + protocolKey, L"URL Protocol",
                                       &notWritten));
    CHECK(platform::deleteRegistryKey(RegistryRoot::ClassesRoot, protocolKey));
}

void testPerUserFallback()
{
    const std::wstring userKey = L"Software\\Classes\\" + protocolKey;
    const auto machine = protocolValues(RegistryRoot::ClassesRoot, protocolKey);
    const auto user = protocolValues(RegistryRoot::CurrentUser, userKey);
    std::vector<std::wstring> failures;
    const RegistryScope scope
        = platform::writeRegistryEntry(machine, user, &failures, refuseMachineWide);
    CHECK(scope == RegistryScope::PerUser);
    for (const RegistryValue &value : user)
        CHECK(readsBackAs(value));
    CHECK(failures.size() == machine.size());
    CHECK(!failures.empty()
          && failures.front().find(L"HKEY_CLASSES_ROOT\\" + protocolKey + L"\\(default)")
              != std::wstring::npos);
    CHECK(!failures.empty() && failures.back().find(L"error 5") != std::wstring::npos);
    CHECK(platform::deleteRegistryKey(RegistryRoot::CurrentUser, userKey));

    failures.clear();
    CHECK(platform::writeRegistryEntry(machine, user, &failures, refuseEverything)
          == RegistryScope::None);
    CHECK(failures.size() == machine.size() + user.size());
}

} // namespace

int wmain()
{
    testTypesReadBack();
    testMachineWideWhenAllowed();
    testPerUserFallback();
    return check::finish("tst_registry");
}
