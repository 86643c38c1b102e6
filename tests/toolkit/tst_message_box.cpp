// Dialogs with standard buttons and the modal message box: button order,
// texts, default button, keyboard, and what question() returns.
#include "toolkit/dialog_with_buttons.h"
#include "toolkit/messagebox.h"
#include "toolkit/push_button.h"
#include "toolkit/system_bar.h"
#include "toolkit/title_bar.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using Button = QDialogButtonBox::StandardButton;
using Texts = DialogWithButtons::ButtonTexts;

namespace {

QHBoxLayout *buttonRow(DialogWithButtons &dialog)
{
    QLayout *client = dialog.clientFrame()->layout();
    return qobject_cast<QHBoxLayout *>(client->itemAt(client->count() - 1)->layout());
}

// The texts of the row's buttons, left to right, after its leading stretch.
QStringList rowTexts(DialogWithButtons &dialog)
{
    QHBoxLayout *row = buttonRow(dialog);
    QStringList texts;
    for (int i = 1; i < row->count(); ++i)
        texts << qobject_cast<QPushButton *>(row->itemAt(i)->widget())->text();
    return texts;
}

// Acts on the modal box once question() has opened it.
void whenBoxOpens(const std::function<void(Messagebox *)> &action)
{
    QTimer::singleShot(0, [action] {
        auto *box = qobject_cast<Messagebox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        action(box);
    });
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void rowLayout();
    void okIsAlwaysLast();
    void everyStandardButtonAscending();
    void buttonsArePlainFlatPushButtons();
    void defaultButton();
    void customTexts();
    void yesAndNoKeys();
    void noToAllKey();
    void keyWithoutItsButtonDoesNothing();
    void escapeAndCloseGiveZero();
    void messageboxStructure();
    void markupIsShownAsText();
    void questionResults_data();
    void questionResults();
    void questionDefaultOnReturn();
};

void TestMessageBox::rowLayout()
{
    DialogWithButtons dialog(QStringLiteral("Prompt"), QDialogButtonBox::Yes | QDialogButtonBox::No,
                             QDialogButtonBox::No, Texts());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Prompt"));
    QCOMPARE(dialog.titleBar()->title(), QStringLiteral("Prompt"));

    auto *client = qobject_cast<QVBoxLayout *>(dialog.clientFrame()->layout());
    QVERIFY(client);
    QCOMPARE(client->contentsMargins(), QMargins());
    QCOMPARE(client->spacing(), 0);
    QHBoxLayout *row = buttonRow(dialog);
    QVERIFY(row);
    QCOMPARE(row->contentsMargins(), QMargins());
    QCOMPARE(row->spacing(), 14);
    QVERIFY(row->itemAt(0)->spacerItem());
    QCOMPARE(row->stretch(0), 1);
    QCOMPARE(rowTexts(dialog), QStringList({ "&Yes", "&No" }));
    QCOMPARE(dialog.clickedButton(), QDialogButtonBox::NoButton);
}

void TestMessageBox::okIsAlwaysLast()
{
    DialogWithButtons okCancel(QString(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                               QDialogButtonBox::Ok, Texts());
    QCOMPARE(rowTexts(okCancel), QStringList({ "Cancel", "OK" }));

    DialogWithButtons many(QString(),
                           QDialogButtonBox::Ok | QDialogButtonBox::RestoreDefaults
                               | QDialogButtonBox::Save | QDialogButtonBox::Help,
                           QDialogButtonBox::NoButton, Texts());
    QCOMPARE(rowTexts(many), QStringList({ "Save", "Help", "Restore Defaults", "OK" }));
}

void TestMessageBox::everyStandardButtonAscending()
{
    DialogWithButtons dialog(QString(), QDialogButtonBox::StandardButtons(0x0FFFFC00),
                             QDialogButtonBox::NoButton, Texts());
    QCOMPARE(rowTexts(dialog),
             QStringList({ "Save", "Save All", "Open", "&Yes", "Yes to &All", "&No", "N&o to All",
                           "Abort", "Retry", "Ignore", "Close", "Cancel", "Discard", "Help",
                           "Apply", "Reset", "Restore Defaults", "OK" }));
    for (quint32 value = 0x400; value <= 0x8000000; value <<= 1)
        QVERIFY(dialog.button(Button(value)));
    QVERIFY(!dialog.button(QDialogButtonBox::NoButton));
    QCOMPARE(DialogWithButtons::defaultText(Button(0x200)), QString());
}

void TestMessageBox::buttonsArePlainFlatPushButtons()
{
    DialogWithButtons dialog(QString(), QDialogButtonBox::Ok, QDialogButtonBox::Ok, Texts());
    QPushButton *ok = dialog.button(QDialogButtonBox::Ok);
    QVERIFY(ok);
    QVERIFY(!qobject_cast<PushButton *>(ok));
    QCOMPARE(ok->objectName(), QStringLiteral("normal"));
    QVERIFY(ok->isFlat());
    QCOMPARE(ok->focusPolicy(), QPushButton().focusPolicy());
    QCOMPARE(ok->parentWidget(), dialog.clientFrame());
}

void TestMessageBox::defaultButton()
{
    DialogWithButtons yesNo(QString(), QDialogButtonBox::Yes | QDialogButtonBox::No,
                            QDialogButtonBox::No, Texts());
    QVERIFY(yesNo.button(QDialogButtonBox::No)->isDefault());
    QVERIFY(!yesNo.button(QDialogButtonBox::Yes)->isDefault());

    // A default that is not among the buttons is ignored.
    DialogWithButtons stray(QString(), QDialogButtonBox::Yes | QDialogButtonBox::No,
                            QDialogButtonBox::Ok, Texts());
    QVERIFY(!stray.button(QDialogButtonBox::Yes)->isDefault());
    QVERIFY(!stray.button(QDialogButtonBox::No)->isDefault());
}

void TestMessageBox::customTexts()
{
    Texts texts;
    texts.insert(QDialogButtonBox::Save, QStringLiteral("Keep it"));
    texts.insert(QDialogButtonBox::Discard, QString()); // empty: default stays
    texts.insert(QDialogButtonBox::Abort, QStringLiteral("unused"));
    DialogWithButtons dialog(QString(), QDialogButtonBox::Save | QDialogButtonBox::Discard,
                             QDialogButtonBox::Save, texts);
    QCOMPARE(rowTexts(dialog), QStringList({ "Keep it", "Discard" }));
    QVERIFY(!dialog.button(QDialogButtonBox::Abort));
}

void TestMessageBox::yesAndNoKeys()
{
    DialogWithButtons yes(QString(), QDialogButtonBox::Yes | QDialogButtonBox::No,
                          QDialogButtonBox::No, Texts());
    yes.show();
    QTest::keyClick(&yes, Qt::Key_Y);
    QCOMPARE(yes.clickedButton(), QDialogButtonBox::Yes);
    QVERIFY(!yes.isVisible());

    DialogWithButtons no(QString(), QDialogButtonBox::Yes | QDialogButtonBox::No,
                         QDialogButtonBox::Yes, Texts());
    no.show();
    // Modifiers are not looked at.
    QTest::keyClick(&no, Qt::Key_N, Qt::ShiftModifier);
    QCOMPARE(no.clickedButton(), QDialogButtonBox::No);
    QVERIFY(!no.isVisible());
}

void TestMessageBox::noToAllKey()
{
    DialogWithButtons dialog(QString(), QDialogButtonBox::YesToAll | QDialogButtonBox::NoToAll,
                             QDialogButtonBox::NoButton, Texts());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_O);
    QCOMPARE(dialog.clickedButton(), QDialogButtonBox::NoToAll);
}

void TestMessageBox::keyWithoutItsButtonDoesNothing()
{
    DialogWithButtons dialog(QString(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                             QDialogButtonBox::Ok, Texts());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Y);
    QTest::keyClick(&dialog, Qt::Key_N);
    QTest::keyClick(&dialog, Qt::Key_O);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.clickedButton(), QDialogButtonBox::NoButton);
}

void TestMessageBox::escapeAndCloseGiveZero()
{
    DialogWithButtons escaped(QString(), QDialogButtonBox::Yes | QDialogButtonBox::No,
                              QDialogButtonBox::Yes, Texts());
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
    QCOMPARE(escaped.clickedButton(), QDialogButtonBox::NoButton);

    DialogWithButtons closed(QString(), QDialogButtonBox::Yes | QDialogButtonBox::No,
                             QDialogButtonBox::Yes, Texts());
    closed.show();
    auto *bar = closed.titleBar()->findChild<SystemBar *>();
    QVERIFY(bar && bar->closeButton());
    QTest::mouseClick(bar->closeButton(), Qt::LeftButton);
    QVERIFY(!closed.isVisible());
    QCOMPARE(closed.clickedButton(), QDialogButtonBox::NoButton);
}

void TestMessageBox::messageboxStructure()
{
    Messagebox plain(QStringLiteral("Prompt"), QStringLiteral("Nothing to see."),
                     QDialogButtonBox::Ok, QDialogButtonBox::Ok, Texts(), 0);
    QVERIFY(plain.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    auto *bar = plain.titleBar()->findChild<SystemBar *>();
    QVERIFY(bar->closeButton());
    QVERIFY(!bar->minimizeButton());
    QVERIFY(!bar->maximizeButton());
    QCOMPARE(plain.clientFrame()->findChildren<QFrame *>(QRegularExpression("^msg_icon")).size(),
             0);

    auto *client = qobject_cast<QVBoxLayout *>(plain.clientFrame()->layout());
    QCOMPARE(client->count(), 2);
    QCOMPARE(client->stretch(0), 1);
    auto *content = qobject_cast<QHBoxLayout *>(client->itemAt(0)->layout());
    QVERIFY(content);
    QCOMPARE(content->contentsMargins(), QMargins());
    QCOMPARE(content->spacing(), 9);
    QCOMPARE(content->count(), 1); // the text fills the row
    QCOMPARE(content->itemAt(0)->widget(), plain.textLabel());
    QCOMPARE(content->stretch(0), 1);
    QLabel *label = plain.textLabel();
    QCOMPARE(label->objectName(), QStringLiteral("text_label"));
    QCOMPARE(label->text(), QStringLiteral("Nothing to see."));
    QVERIFY(label->wordWrap());
    QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);

    Messagebox withIcon(QStringLiteral("Prompt"), QStringLiteral("Look."), QDialogButtonBox::Ok,
                        QDialogButtonBox::Ok, Texts(), 2);
    auto *iconRow
        = qobject_cast<QHBoxLayout *>(withIcon.clientFrame()->layout()->itemAt(0)->layout());
    QCOMPARE(iconRow->count(), 2);
    QWidget *icon = iconRow->itemAt(0)->widget();
    QCOMPARE(icon->objectName(), QStringLiteral("msg_icon2"));
    QCOMPARE(iconRow->itemAt(0)->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QCOMPARE(iconRow->itemAt(1)->widget(), withIcon.textLabel());
    QVERIFY(withIcon.size().isValid());
}

void TestMessageBox::markupIsShownAsText()
{
    // An entry name or a server's reason phrase holding markup: drawn as rich
    // text the heading would stand taller than the plain word.
    const auto height = [](const QString &text) {
        Messagebox box(QStringLiteral("Install"), text, QDialogButtonBox::Ok, QDialogButtonBox::Ok,
                       Texts(), 2);
        return box.textLabel()->heightForWidth(400);
    };
    QCOMPARE(height(QStringLiteral("<h1>Failed</h1>")), height(QStringLiteral("Failed")));
    QCOMPARE(height(QStringLiteral("<font size=7 color=red>Failed</font>")),
             height(QStringLiteral("Failed")));
}

void TestMessageBox::questionResults_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("Y presses Yes") << int(Qt::Key_Y) << 0x4000;
    QTest::newRow("N presses No") << int(Qt::Key_N) << 0x10000;
    QTest::newRow("Escape closes without a button") << int(Qt::Key_Escape) << 0;
}

void TestMessageBox::questionResults()
{
    QFETCH(int, key);
    QFETCH(int, expected);
    QWidget parent;
    parent.show();
    whenBoxOpens([key](Messagebox *box) {
        QVERIFY(box->findChild<QFrame *>(QStringLiteral("msg_icon2")));
        QCOMPARE(box->textLabel()->text(), QStringLiteral("Velmar is running. End it?"));
        QTest::keyClick(box, Qt::Key(key));
    });
    const Button result = Messagebox::question(
        &parent, QStringLiteral("Prompt"), QStringLiteral("Velmar is running. End it?"),
        QDialogButtonBox::Yes | QDialogButtonBox::No, QDialogButtonBox::No);
    QCOMPARE(int(result), expected);

    // Closing through the system bar or a close request gives 0 too.
    whenBoxOpens(
        [](Messagebox *box) { box->titleBar()->findChild<SystemBar *>()->closeButton()->click(); });
    QCOMPARE(Messagebox::question(&parent, QStringLiteral("Prompt"), QStringLiteral("x"),
                                  QDialogButtonBox::Ok, QDialogButtonBox::Ok),
             QDialogButtonBox::NoButton);
    whenBoxOpens([](Messagebox *box) { box->close(); });
    QCOMPARE(Messagebox::question(&parent, QStringLiteral("Prompt"), QStringLiteral("x"),
                                  QDialogButtonBox::Ok, QDialogButtonBox::Ok),
             QDialogButtonBox::NoButton);
    whenBoxOpens([](Messagebox *box) { box->button(QDialogButtonBox::Ok)->click(); });
    QCOMPARE(Messagebox::question(&parent, QStringLiteral("Prompt"), QStringLiteral("x"),
                                  QDialogButtonBox::Ok, QDialogButtonBox::Ok),
             QDialogButtonBox::Ok);
}

void TestMessageBox::questionDefaultOnReturn()
{
    QWidget parent;
    parent.show();
    whenBoxOpens([](Messagebox *box) { QTest::keyClick(box, Qt::Key_Return); });
    QCOMPARE(Messagebox::question(&parent, QStringLiteral("Prompt"), QStringLiteral("End it?"),
                                  QDialogButtonBox::Yes | QDialogButtonBox::No,
                                  QDialogButtonBox::No),
             QDialogButtonBox::No);
}

QTEST_MAIN(TestMessageBox)
#include "tst_message_box.moc"
