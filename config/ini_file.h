#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The top level of an INI file (keys before any section line or in
// "[General]"), read by the rules of the toolkit's INI settings: comments
// after ';', values in double quotes, backslash escapes, an unquoted comma
// making a list, "%XX" escapes in key names, a UTF-8 byte-order mark in
// front, keys compared without case on Windows. Unlike the toolkit, every
// value stays text: a typed value ("@Variant(...)" and the like, which only
// a program writes) is never decoded, because decoding one means believing
// the counts inside it.
class IniFile
{
public:
    struct Value
    {
        bool present = false;
        bool isList = false; // an unquoted comma stood in it
        QString text; // the value when it is not a list
        QStringList items; // the list's items
    };

    // Files larger than this are not read at all: a settings file is a few
    // hundred bytes, and a runaway one must not take the memory.
    static constexpr qint64 maximumSize = 1 << 20;

    // Reads the file at path; a missing, unreadable or oversized file holds
    // no keys (which readable() tells apart from an empty file).
    explicit IniFile(const QString &path);
    static IniFile fromText(const QByteArray &text);

    Value value(const QString &key) const;
    bool readable() const { return m_readable; }
    // Keys at the top level whose values were typed and therefore read as
    // empty text.
    QStringList typedKeys() const { return m_typedKeys; }

private:
    IniFile() = default;
    void parse(const QByteArray &text);
    static QString keyForm(const QString &key);

    QHash<QString, Value> m_values;
    QStringList m_typedKeys;
    bool m_readable = false;
};
