#pragma once

#include "single_instance/single_application.h"

#include <QString>
#include <QStringList>

// The name that ties together all processes of one installer: it keys the
// shared instance block and names the primary's local server. Installers in
// different folders, or of different versions, get different names.
class InstanceKey
{
public:
    // Everything that goes into the name, in the order it is hashed.
    struct Inputs
    {
        QString applicationName;
        QString organizationName;
        QString organizationDomain;
        QStringList extras;
        QString version;
        QString executablePath;
        QString userName;
    };

    // SHA-256 over the inputs, Base64 with "_" instead of "/" (a server name
    // becomes a file name on Unix): always 44 characters, ending in "=".
    static QString compute(const Inputs &inputs, SingleApplication::InstanceOptions options);

    // The name for the running process, from the application's identity.
    static QString forThisProcess(SingleApplication::InstanceOptions options,
                                  const QStringList &extras);

    // What stands for the running user in the key with UserScope: the user
    // id on Unix, where every account shares the folder the guard's names
    // live in; on Windows the account's SID and the logon session, as
    // sessionIdentity() puts them together.
    static QString userIdentity();

    // One account in one Windows session, as one text: the same account
    // logged on twice (console and Remote Desktop) gets two installers.
    static QString sessionIdentity(const QString &account, qint64 sessionId);
};
