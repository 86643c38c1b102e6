#pragma once

#include <QString>

class QWidget;

// Asks the user for a folder: with Windows' own folder dialog there (the
// installer's Windows build of Qt carries no widget file dialog, to keep the
// one file small), with Qt's folder dialog elsewhere.
class FolderDialog
{
public:
    // The chosen folder with "/" separators, or empty when the user cancels.
    // The dialog is modal to parent's window and opens at start.
    static QString pick(QWidget *parent, const QString &title, const QString &start);
};
