#pragma once

#include <QCoreApplication>
#include <QString>

// The one rule for a name that becomes a single file or folder: the product's
// folder and uninstall entry, the program's name, every step of a package
// entry's path, a shortcut's file name, the downloaded package's local name.
// A single name never leads out of its folder, never names another place
// than the one meant, and is stored by the file system exactly as given.
class SingleName
{
    Q_DECLARE_TR_FUNCTIONS(SingleName)

public:
    enum class System { Windows, Unix };

    // The system this program runs on.
    static System host();

    // Why name cannot be a single name on system (translated), or empty
    // when it can.
    static QString problem(const QString &name, System system = host());
    static bool isValid(const QString &name, System system = host())
    {
        return problem(name, system).isEmpty();
    }
    // Valid on Windows and on Unix alike.
    static bool isValidEverywhere(const QString &name)
    {
        return isValid(name, System::Windows) && isValid(name, System::Unix);
    }

    // name changed as little as needed into a valid single name on system:
    // characters the system refuses become "_", a name the system reserves
    // for a device gets "_" appended, trailing dots and spaces go, and an
    // overlong name is cut. Empty when nothing usable is left.
    static QString madeValid(const QString &name, System system = host());

    // The longest single name that Linux (bytes of UTF-8) and Windows
    // (UTF-16 units) store.
    static constexpr int maxLength = 255;
};
