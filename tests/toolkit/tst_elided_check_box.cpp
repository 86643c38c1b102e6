// A check box whose text is longer than its room: cut at the end with an
// ellipsis and the whole text as tooltip, never wider than its place.
#include "toolkit/elided_check_box.h"

#include <QVBoxLayout>
#include <QtTest>

class TestElidedCheckBox : public QObject
{
    Q_OBJECT

private slots:
    void textGivesWayToTheRoom_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("elided");
        QTest::newRow("short product text")
            << QStringLiteral("Computer startup with Velmar") << false;
        QTest::newRow("long product text")
            << QStringLiteral("Computer startup with Velmar Professional Studio Suite Enterprise "
                              "Edition 2024 and all its companion tools")
            << true;
    }

    void textGivesWayToTheRoom()
    {
        QFETCH(QString, text);
        QFETCH(bool, elided);
        // As wide as the start page's advanced panel inside its margins.
        QWidget panel;
        panel.setFixedWidth(476);
        auto *layout = new QVBoxLayout(&panel);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *box = new ElidedCheckBox(text, &panel);
        layout->addWidget(box);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        QVERIFY2(box->width() <= 476, qPrintable(QString::number(box->width())));
        QCOMPARE(box->isElided(), elided);
        QCOMPARE(box->toolTip(), elided ? text : QString());
        QCOMPARE(box->text(), text);

        // Given all the room it wants, the whole text shows again.
        panel.setFixedWidth(box->sizeHint().width());
        QTRY_VERIFY(!box->isElided());
        QVERIFY(box->toolTip().isEmpty());
    }
};

QTEST_MAIN(TestElidedCheckBox)
#include "tst_elided_check_box.moc"
