#pragma once

#include <QCheckBox>

// A check box whose text gives way when the room runs out: it is cut at the
// end with an ellipsis, never in the middle of a letter, and the whole text
// becomes its tooltip. A plain check box insists on its text's full width,
// and in a window of fixed size what does not fit is simply clipped.
class ElidedCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit ElidedCheckBox(const QString &text, QWidget *parent = nullptr);

    // Whether the text shown is shorter than the check box's text.
    bool isElided() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString shownText() const;
    void updateToolTip();
};
