#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Runs Qt's own tools (rcc, lrelease, lupdate) for tests that need real
// resource or translation files. The tools' paths come from the environment
// variables RCC, LRELEASE and LUPDATE, which tests/app.cmake sets.
namespace QtTools {

// Packs files, given as resource path (without ":/") to content, into a
// binary resource file like installer.brc. Returns an error text, empty on
// success.
QString packResource(const QString &output, const QMap<QString, QByteArray> &files);

// A Qt TS message: context, source and translation.
struct Message
{
    QString context;
    QString source;
    QString translation;
};

// Compiles messages for one language into a .qm file. Returns an error text,
// empty on success.
QString compileTranslation(const QString &output, const QString &language,
                           const QList<Message> &messages);

// Runs a tool with arguments; returns an error text, empty on success.
QString runTool(const char *variable, const QStringList &arguments);

} // namespace QtTools
