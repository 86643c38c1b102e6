#pragma once

#include <QString>

class QApplication;
class QDir;
class QLocale;

// Installs every translation family found in resources/translations beside
// the executable (for the system's languages) and appends the style sheets of
// the style resource in resources/styles to the application style sheet.
// What the program carries in its bundle stands in for what is not beside
// it, family by family and for installer.brc.
void installTranslationsAndStyles(QApplication &app);

// The same for an explicit application folder and locale, so that tests can
// lay out their own folders and languages.
void installTranslationsAndStyles(QApplication &app, const QDir &appDir, const QLocale &locale);

// The sheet with every relative url() made absolute against folder, as Qt
// resolves the pictures of a sheet read from a file in that folder.
QString withAbsoluteUrls(const QString &sheet, const QString &folder);

// The concatenated text of the *.qss files of a folder, in name order,
// leaving out names that contain "_mac". Empty when there are none.
QString loadStyleSheets(const QString &folder);
