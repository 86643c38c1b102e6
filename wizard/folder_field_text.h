#pragma once

#include "config/single_name.h"

#include <QString>

// The start page's folder field between the user and the record: the field
// shows a folder the way the system writes paths, and takes what a user
// types or pastes, Explorer's "Copy as path" included, which puts the path in
// double quotes.
class FolderFieldText
{
public:
    using System = SingleName::System;

    // folder ("/"-separated) as the field shows it: backslashes on Windows.
    static QString shown(const QString &folder, System system = SingleName::host());

    // The folder that text names, "/"-separated: blanks around it and one
    // pair of double quotes around it removed, blanks inside the quotes
    // too. Nothing else changes; the install checks judge the result.
    static QString folder(const QString &text, System system = SingleName::host());

    // Where a folder dialog opens for folder: the folder itself, or its
    // nearest parent that exists; empty when none does (a relative or empty
    // folder, a missing drive).
    static QString nearestExisting(const QString &folder);
};
