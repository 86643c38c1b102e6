#pragma once

#include "engine/registration/registration_plan.h"

#include <QHash>
#include <QString>
#include <QVector>

// The uninstall entry on Linux: an INI file with the values of the Windows
// entry, $XDG_DATA_HOME/installer/uninstall/<product id>.ini, group
// [Uninstall], each value escaped as in desktop entries. The registration
// writes it, the next installer reads it to find an earlier installation,
// and the product's uninstaller removes it.
class UninstallRecord
{
public:
    // Where the record called fileName lives; empty when the system names no
    // data folder.
    static QString path(const QString &fileName);
    // The record's whole text for the entry's values, in their order.
    static QByteArray text(const QVector<RegistryValue> &values);

    // Reads the record at path; false when there is none or it cannot be read.
    bool read(const QString &path);
    // The value called name, unescaped; null when the record has none.
    QString value(const QString &name) const { return m_values.value(name); }

private:
    QHash<QString, QString> m_values;
};
