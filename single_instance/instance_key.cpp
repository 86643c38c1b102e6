#include "single_instance/instance_key.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#ifdef Q_OS_WIN
#include "platform/win32/user_session.h"
#else
#include <unistd.h>
#endif

QString InstanceKey::compute(const Inputs &inputs, SingleApplication::InstanceOptions options)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData("SingleApplication", 17);
    hash.addData(inputs.applicationName.toUtf8());
    hash.addData(inputs.organizationName.toUtf8());
    hash.addData(inputs.organizationDomain.toUtf8());
    if (!inputs.extras.isEmpty())
        hash.addData(inputs.extras.join(QString()).toUtf8());
    if (!options.testFlag(SingleApplication::KeyWithoutVersion))
        hash.addData(inputs.version.toUtf8());
    // Lower-cased, so that one installer file reached through differently
    // cased paths (Windows file names ignore case) keeps one key.
    if (!options.testFlag(SingleApplication::KeyWithoutPath))
        hash.addData(inputs.executablePath.toLower().toUtf8());
    if (options.testFlag(SingleApplication::UserScope))
        hash.addData(inputs.userName.toUtf8());

    return QString::fromLatin1(hash.result().toBase64())
        .replace(QLatin1Char('/'), QLatin1Char('_'));
}

QString InstanceKey::forThisProcess(SingleApplication::InstanceOptions options,
                                    const QStringList &extras)
{
    Inputs inputs;
    inputs.applicationName = QCoreApplication::applicationName();
    inputs.organizationName = QCoreApplication::organizationName();
    inputs.organizationDomain = QCoreApplication::organizationDomain();
    inputs.extras = extras;
    inputs.version = QCoreApplication::applicationVersion();
    inputs.executablePath = QCoreApplication::applicationFilePath();
    inputs.userName = userIdentity();
    return compute(inputs, options);
}

QString InstanceKey::userIdentity()
{
#ifdef Q_OS_WIN
    // The shared block is per session on Windows but the server's pipe name
    // is seen by the whole machine: without the user and the session in the
    // key, a second person logged on at the same time would find the pipe
    // taken by the first one's installer and could not run their own.
    const platform::UserSession session = platform::currentUserSession();
    return sessionIdentity(QString::fromStdWString(session.sid), session.sessionId);
#else
    // Unix keeps the block's key file, segment and lock, and the server's
    // socket, in one folder for all accounts, each private to its creator:
    // without the user in the key, a second account could not start the
    // same installer file at all, not even after the first one's copy
    // ended. The numeric id, not the name, so a renamed account keeps its
    // key.
    return QString::number(::getuid());
#endif
}

QString InstanceKey::sessionIdentity(const QString &account, qint64 sessionId)
{
    // A SID holds no "/", so no two pairs give the same text.
    return account + QLatin1Char('/') + QString::number(sessionId);
}
