#include "app/translations_and_styles.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QResource>
#include <QSet>
#include <QTranslator>

void installTranslationsAndStyles(QApplication &app)
{
    const QDir appDir(QCoreApplication::applicationDirPath());

    QDir translations(appDir);
    if (translations.cd(QStringLiteral("./resources/translations"))) {
        // installer.zh_CN.qm and installer.en.qm are one family, "installer".
        QSet<QString> families;
        const QFileInfoList files = translations.entryInfoList(QDir::Files, QDir::NoSort);
        for (const QFileInfo &file : files) {
            if (file.suffix() == QLatin1String("qm"))
                families.insert(file.baseName());
        }
        for (const QString &family : qAsConst(families)) {
            auto *translator = new QTranslator(&app);
            if (translator->load(QLocale::system(), family, QStringLiteral("."),
                                 translations.absolutePath())) {
                QCoreApplication::installTranslator(translator);
            } else {
                delete translator;
                qDebug() << "failed to install language:" << family;
            }
        }
    }

    QDir styles(appDir);
    if (!styles.cd(QStringLiteral("./resources/styles")))
        return;
    const QFileInfoList files = styles.entryInfoList(QDir::Files, QDir::NoSort);
    for (const QFileInfo &file : files) {
        if (file.suffix() == QLatin1String("brc") && file.baseName() == QLatin1String("installer"))
            QResource::registerResource(file.absoluteFilePath());
    }
    app.setStyleSheet(app.styleSheet() + loadStyleSheets(QStringLiteral(":/qss/style/")));
}

QString loadStyleSheets(const QString &folder)
{
    QString text;
    const QDir dir(folder);
    if (!dir.exists())
        return text;
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &info : files) {
        if (info.suffix() != QLatin1String("qss")
            || info.fileName().contains(QLatin1String("_mac")))
            continue;
        QFile file(info.absoluteFilePath());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}
