#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

struct InstallerConfig;

// What an installation registers with the system, worked out from the
// configuration as plain data before anything is written: the registry
// values in the order they are written and the shortcuts with their places,
// names and targets. A platform applier carries the plan out.

// Which system the plan is for. The Windows plan is the registry layout and
// shell links; the freedesktop plan reuses its values for desktop entries,
// a program link and an uninstall record, with file names that suit Linux.
enum class TargetSystem { Windows, Freedesktop };

// The system this program runs on.
TargetSystem hostTargetSystem();

enum class RegistryRoot { ClassesRoot, LocalMachine, CurrentUser };
enum class RegistryType { String, DWord, QWord };

struct RegistryValue
{
    RegistryRoot root = RegistryRoot::CurrentUser;
    QString key; // below the root, separated by backslashes
    QString name; // empty for the key's default value
    RegistryType type = RegistryType::String;
    QString text; // String data
    quint64 number = 0; // DWord and QWord data

    bool operator==(const RegistryValue &other) const;
};

// One thing registered in the registry, written as a whole: the machine-wide
// values first, and the same values for the current user when the
// machine-wide keys refuse the write (the installer runs without elevation).
struct RegistryEntry
{
    QVector<RegistryValue> machineWide;
    QVector<RegistryValue> perUser;

    bool isEmpty() const { return machineWide.isEmpty(); }
};

struct UrlProtocolRegistration
{
    QString scheme;
    QString description;
    QString nativeExecutablePath;
    QString displayName; // of the handler's desktop entry
    QString handlerFileName; // the handler's desktop entry, e.g. "velmar-url-handler.desktop"
    RegistryEntry registry;
};

struct ApplicationPathRegistration
{
    QString programName;
    QString executablePath;
    RegistryEntry registry;
};

struct UninstallRegistration
{
    QString recordFileName; // the freedesktop uninstall record, e.g. "Velmar.ini"
    RegistryEntry registry;
};

enum class ShortcutPlace { StartMenu, Desktop, Startup };

struct Shortcut
{
    ShortcutPlace place = ShortcutPlace::Desktop;
    QString subfolder; // below the place's folder; ensured before the link is written
    QString fileName; // with its ending, ".lnk" or ".desktop"
    QString displayName;
    QString target; // forward slashes
    QString arguments;
    // The product starts in its own folder, with its own icon, whoever
    // starts it; the description is what the shell shows on hovering.
    QString workingFolder; // forward slashes
    QString iconPath; // forward slashes
    QString description;
};

struct RegistrationPlan
{
    QString executablePath; // forward slashes
    QString nativeExecutablePath;
    QString uninstallCommand;
    UrlProtocolRegistration urlProtocol; // registry empty when the scheme is unusable
    ApplicationPathRegistration applicationPath;
    UninstallRegistration uninstall;
    QVector<Shortcut> shortcuts;
    // Parts of the configuration that could not be registered, and why.
    QStringList problems;

    // Every machine-wide value in the order it is written.
    QVector<RegistryValue> registryValues() const;
};

RegistrationPlan buildRegistrationPlan(const InstallerConfig &config,
                                       TargetSystem system = hostTargetSystem());

// A URL protocol: the four values below HKEY_CLASSES_ROOT\<scheme> (with their
// per-user copies) and the handler's desktop entry. The registry part is
// empty when scheme is not a valid URL scheme.
UrlProtocolRegistration urlProtocolRegistration(const QString &scheme, const QString &description,
                                                const QString &nativeExecutablePath,
                                                const QString &displayName);

// The same value under HKEY_CURRENT_USER, where Windows looks for the
// current user's classes, application paths and uninstall entries.
RegistryValue perUserEquivalent(const RegistryValue &machineWide);

// Windows reads EstimatedSize as a DWORD in KiB.
quint32 estimatedSizeKiB(quint64 bytes);

// A URL scheme: a letter, then letters, digits, '+', '-' or '.'. Anything else
// could name another key below HKEY_CLASSES_ROOT.
bool isValidUrlScheme(const QString &scheme);

// The base name of the product's desktop entries on Linux, safe as a
// desktop file ID: letters, digits, '-' and '_' kept, other characters
// replaced by '_' followed by their code in hex.
QString desktopEntryId(const QString &productName);

// The command that starts one program with the given path, quoted for the
// target system (and escaped on Linux).
QString quotedCommand(const QString &nativePath, TargetSystem system);

// The program's path in a command of that form: the reverse of
// quotedCommand, also for an unquoted command that is just a path.
QString programOfCommand(const QString &command, TargetSystem system);
