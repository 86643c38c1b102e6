#include "support/qt_tools.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

namespace QtTools {

QString runTool(const char *variable, const QStringList &arguments)
{
    const QString program = qEnvironmentVariable(variable);
    if (program.isEmpty())
        return QStringLiteral("$%1 is not set").arg(QLatin1String(variable));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        return QStringLiteral("%1 failed: %2")
            .arg(program, QString::fromLocal8Bit(process.readAll()));
    }
    return QString();
}

QString packResource(const QString &output, const QMap<QString, QByteArray> &files)
{
    QTemporaryDir work;
    if (!work.isValid())
        return QStringLiteral("no temporary folder");
    QFile qrc(work.filePath(QStringLiteral("resource.qrc")));
    if (!qrc.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the .qrc");
    QXmlStreamWriter xml(&qrc);
    xml.writeStartElement(QStringLiteral("RCC"));
    xml.writeStartElement(QStringLiteral("qresource"));
    xml.writeAttribute(QStringLiteral("prefix"), QStringLiteral("/"));
    int index = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString local = QStringLiteral("file%1").arg(index++);
        if (!TestFiles::writeFile(work.filePath(local), it.value()))
            return QStringLiteral("cannot write %1").arg(local);
        xml.writeStartElement(QStringLiteral("file"));
        xml.writeAttribute(QStringLiteral("alias"), it.key());
        xml.writeCharacters(local);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    qrc.close();
    return runTool("RCC",
                   { QStringLiteral("-binary"), qrc.fileName(), QStringLiteral("-o"), output });
}

QString compileTranslation(const QString &output, const QString &language,
                           const QList<Message> &messages)
{
    QTemporaryDir work;
    if (!work.isValid())
        return QStringLiteral("no temporary folder");
    QFile ts(work.filePath(QStringLiteral("messages.ts")));
    if (!ts.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the .ts");
    QXmlStreamWriter xml(&ts);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE TS>"));
    xml.writeStartElement(QStringLiteral("TS"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.1"));
    xml.writeAttribute(QStringLiteral("language"), language);
    for (const Message &message : messages) {
        xml.writeStartElement(QStringLiteral("context"));
        xml.writeTextElement(QStringLiteral("name"), message.context);
        xml.writeStartElement(QStringLiteral("message"));
        xml.writeTextElement(QStringLiteral("source"), message.source);
        xml.writeTextElement(QStringLiteral("translation"), message.translation);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    ts.close();
    return runTool("LRELEASE",
                   { QStringLiteral("-silent"), ts.fileName(), QStringLiteral("-qm"), output });
}

} // namespace QtTools
