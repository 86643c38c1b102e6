#include "demo/link_argument.h"

#include <QRegularExpression>

QString linkArgument(const QStringList &arguments)
{
    // RFC 3986 scheme: a letter, then letters, digits, "+", "-" or ".".
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    for (int i = 1; i < arguments.size(); ++i) {
        if (scheme.match(arguments.at(i)).hasMatch())
            return arguments.at(i);
    }
    return QString();
}
