#include "engine/registration/uninstall_record.h"

#include "platform/unix/desktop_entry.h"
#include "platform/unix/freedesktop.h"

#include <QFile>

namespace {

QString numberOrText(const RegistryValue &value)
{
    return value.type == RegistryType::String ? value.text : QString::number(value.number);
}

// The reverse of the desktop-entry escapes the writer uses.
QString unescaped(const QByteArray &escaped)
{
    QByteArray text;
    for (int i = 0; i < escaped.size(); ++i) {
        if (escaped.at(i) != '\\' || i + 1 == escaped.size()) {
            text += escaped.at(i);
            continue;
        }
        const char next = escaped.at(++i);
        switch (next) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            text += next;
            break;
        }
    }
    return QString::fromUtf8(text);
}

} // namespace

QString UninstallRecord::path(const QString &fileName)
{
    const std::string data = platform::xdgDataHome();
    if (data.empty())
        return QString();
    return QString::fromStdString(data) + QStringLiteral("/installer/uninstall/") + fileName;
}

QByteArray UninstallRecord::text(const QVector<RegistryValue> &values)
{
    QByteArray text = "[Uninstall]\n";
    for (const RegistryValue &value : values) {
        text += value.name.toUtf8() + '='
            + QByteArray::fromStdString(
                    platform::escapeDesktopString(numberOrText(value).toUtf8().toStdString()))
            + '\n';
    }
    return text;
}

bool UninstallRecord::read(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    m_values.clear();
    for (const QByteArray &line : file.readAll().split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            m_values.insert(QString::fromUtf8(line.left(equals)), unescaped(line.mid(equals + 1)));
    }
    return true;
}
