// A stand-in installer for the process tests: it runs the single-instance
// guard with the installer's own arguments and reports on stdout what
// happened, one line per event.
//
//   instance_helper                  guard as the installer runs it; prints
//                                    "running <pid>" once the constructor
//                                    returns, "started" per instanceStarted,
//                                    "message <id> <hex>" per receivedMessage;
//                                    ends on "quit" or end of input on stdin
//   instance_helper --allow-secondary --notify
//                                    the same as a permitted, announcing secondary
//   instance_helper key              prints the instance key of this copy
//   instance_helper hold-lock <key>  locks that key's block, prints "locked"
//                                    and waits to be killed
//
// The version is "1.0.0" unless HELPER_VERSION says otherwise.
#include "single_instance/instance_key.h"
#include "single_instance/single_application.h"

#include <QCoreApplication>
#include <QSharedMemory>
#include <QSocketNotifier>
#include <QThread>

#include <cstdio>
#include <thread>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool hasArgument(int argc, char **argv, const char *wanted)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], wanted) == 0)
            return true;
    }
    return false;
}

int printKey(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    say(InstanceKey::forThisProcess(SingleApplication::UserScope, {}).toLatin1());
    return 0;
}

int holdLock(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QSharedMemory memory(QString::fromLatin1(argv[2]));
    if (!memory.attach() || !memory.lock()) {
        say("error " + memory.errorString().toUtf8());
        return 2;
    }
    say("locked");
    for (;;)
        QThread::sleep(60);
}

int runGuard(int argc, char **argv)
{
    const bool allowSecondary = hasArgument(argc, argv, "--allow-secondary");
    SingleApplication::InstanceOptions options = SingleApplication::UserScope;
    if (hasArgument(argc, argv, "--notify"))
        options |= SingleApplication::NotifySecondaryStart;

    SingleApplication app(argc, argv, allowSecondary, options, 1000, QString());
    say("running " + QByteArray::number(QCoreApplication::applicationPid()));

    QObject::connect(&app, &SingleApplication::instanceStarted, [] { say("started"); });
    QObject::connect(&app, &SingleApplication::receivedMessage,
                     [](quint32 instanceId, const QByteArray &message) {
                         say("message " + QByteArray::number(instanceId) + ' ' + message.toHex());
                     });

#ifdef Q_OS_WIN
    // Windows cannot watch a pipe with a socket notifier: a thread reads it.
    std::thread reader([&app] {
        char line[64] = {};
        // End of input means the test went away: do not outlive it.
        while (std::fgets(line, sizeof line, stdin) && qstrncmp(line, "quit", 4) != 0) { }
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    reader.detach();
#else
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&app, &input] {
        char line[64] = {};
        const ssize_t count = ::read(STDIN_FILENO, line, sizeof line - 1);
        // End of input means the test went away: do not outlive it.
        if (count <= 0 || qstrncmp(line, "quit", 4) == 0) {
            input.setEnabled(false);
            app.quit();
        }
    });
#endif
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setApplicationVersion(
        qEnvironmentVariable("HELPER_VERSION", QStringLiteral("1.0.0")));
    if (argc > 1 && qstrcmp(argv[1], "key") == 0)
        return printKey(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "hold-lock") == 0)
        return holdLock(argc, argv);
    return runGuard(argc, argv);
}
