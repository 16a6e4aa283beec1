// The About window.
#include "shell/tabout.h"

#include "protocol/message.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tabout::Tabout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tabout"));
    setWindowTitle(QStringLiteral("About Spades"));

    auto *title = new QLabel(QStringLiteral("\u2660 Spades \u2660"), this);
    title->setObjectName(QStringLiteral("label_title"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);

    auto *version = new QLabel(QStringLiteral("Version ") + versionText(), this);
    version->setObjectName(QStringLiteral("label_version"));
    auto *maker = new QLabel(makerText(), this);
    maker->setObjectName(QStringLiteral("label_maker"));
    auto *blurb = new QLabel(QStringLiteral("Partnership Spades for four players, "
                                            "with computer partners and opponents."),
                             this);
    blurb->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("button_ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    for (QLabel *label : {title, version, maker, blurb}) {
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    layout->addSpacing(8);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    setFixedSize(300, sizeHint().height());
}

QString Tabout::versionText()
{
    return QString::fromLatin1(wire::kVersion);
}

QString Tabout::makerText()
{
    return QStringLiteral("Velnor Software");
}
