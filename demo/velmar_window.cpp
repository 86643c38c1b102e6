#include "demo/velmar_window.h"

#include "demo/status_report.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *makeLabel(const QString &text, const QString &objectName, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

VelmarWindow::VelmarWindow(const StatusReport &report, QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(tr("Velmar"));
    setMinimumWidth(460);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(6);

    layout->addWidget(makeLabel(tr("Velmar is running"), QStringLiteral("headline"), this));
    layout->addWidget(
        makeLabel(tr("Process %1").arg(report.processId), QStringLiteral("caption"), this));
    layout->addSpacing(10);

    layout->addWidget(makeLabel(tr("Working folder:"), QStringLiteral("caption"), this));
    layout->addWidget(makeLabel(QDir::toNativeSeparators(report.workingFolder),
                                QStringLiteral("working_folder"), this));
    layout->addSpacing(6);

    if (report.link.isEmpty()) {
        layout->addWidget(
            makeLabel(tr("Started without a link."), QStringLiteral("caption"), this));
    } else {
        layout->addWidget(
            makeLabel(tr("Started through the link:"), QStringLiteral("caption"), this));
        layout->addWidget(makeLabel(report.link, QStringLiteral("link"), this));
    }
    layout->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setCursor(Qt::PointingHandCursor);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(close);
    layout->addLayout(buttons);
}
