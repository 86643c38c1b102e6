#include "config/single_name.h"

#include <QRegularExpression>

namespace {

int storedLength(const QString &name, SingleName::System system)
{
    return system == SingleName::System::Windows ? name.size() : name.toUtf8().size();
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// Characters Windows refuses in a name, besides the control characters. A
// backslash is refused on every system: Windows reads it as a separator.
bool isRefused(QChar c, SingleName::System system)
{
    if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
        return true;
    return system == SingleName::System::Windows && QStringLiteral("<>:\"|?*").contains(c);
}

bool isDeviceName(const QString &name)
{
    static const QRegularExpression device(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}

} // namespace

SingleName::System SingleName::host()
{
#ifdef Q_OS_WIN
    return System::Windows;
#else
    return System::Unix;
#endif
}

QString SingleName::problem(const QString &name, System system)
{
    if (name.isEmpty())
        return tr("it has an empty folder name");
    if (name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')))
        return tr("it leads out of its folder");
    if (storedLength(name, system) > maxLength)
        return tr("a part of it is too long for the file system");
    for (const QChar c : name) {
        if (isControl(c))
            return tr("it holds a control character");
    }
    if (name == QLatin1String("."))
        return tr("it names no file");
    if (system == System::Windows) {
        for (const QChar c : name) {
            if (isRefused(c, system))
                return tr("Windows cannot store the name");
        }
        if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))
            || isDeviceName(name))
            return tr("Windows cannot store the name");
    }
    return QString();
}

QString SingleName::madeValid(const QString &name, System system)
{
    QString made = name;
    for (QChar &c : made) {
        if (isControl(c) || isRefused(c, system))
            c = QLatin1Char('_');
    }
    if (system == System::Windows && isDeviceName(made)) {
        // "CON.txt" becomes "CON_.txt".
        const int dot = made.indexOf(QLatin1Char('.'));
        made.insert(dot < 0 ? made.size() : dot, QLatin1Char('_'));
    }
    while (storedLength(made, system) > maxLength) {
        made.chop(1);
        if (!made.isEmpty() && made.at(made.size() - 1).isHighSurrogate())
            made.chop(1); // never half a character
    }
    if (system == System::Windows) {
        while (made.endsWith(QLatin1Char('.')) || made.endsWith(QLatin1Char(' ')))
            made.chop(1);
    }
    if (made == QLatin1String(".") || made == QLatin1String(".."))
        return QString();
    return made;
}
