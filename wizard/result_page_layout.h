#pragma once

class QPushButton;
class QString;
class QWidget;

// The success and the failure page share one layout: a flag and a message
// centred in a row above the page's one button. Builds it on page and
// returns the button, so the page can connect its action.
QPushButton *buildResultPage(QWidget *page, const QString &message, const char *messageName,
                             const QString &buttonText, const char *buttonName);
