// Velmar, the little product the demo installer installs. It shows that it
// runs and how it was started, and leaves a status report for the demo.
#include "demo/status_report.h"
#include "demo/velmar_window.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Velmar"));

    // translations/velmar.<language>.qm beside the program, as packaged.
    auto *translator = new QTranslator(&app);
    if (translator->load(
            QLocale::system(), QStringLiteral("velmar"), QStringLiteral("."),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))))
        QCoreApplication::installTranslator(translator);

    QFile style(QStringLiteral(":/velmar/velmar.qss"));
    if (style.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(style.readAll()));

    const StatusReport report = StatusReport::ofThisProcess(QCoreApplication::arguments());
    const QString statusPath = StatusReport::defaultPath();
    QString error;
    if (!report.writeTo(statusPath, &error))
        qWarning() << "Velmar: cannot write the status report" << statusPath << ':' << error;

    VelmarWindow window(report);
    window.show();
    return app.exec();
}
