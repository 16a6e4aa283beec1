// The longest names a host may send, in every place the table draws a name,
// at the board's first size and at twice it.
#include "tablefixture.h"

#include "client/boardscaler.h"
#include "client/sidewindows.h"
#include "client/tchatwiring.h"
#include "client/tlasttrick.h"
#include "client/tspylist.h"

#include <QAction>
#include <QListWidget>
#include <QStyle>
#include <QTest>
#include <QTextDocumentFragment>

namespace {

const QChar kEllipsis(0x2026);

// 64 KiB, as a host may send; the table keeps the first 64 bytes.
QByteArray hostName(const QByteArray &start)
{
    QByteArray name = start;
    name += QByteArray(64 * 1024 - name.size(), 'W');
    return name;
}

QString kept(const QByteArray &sent)
{
    return QString::fromLatin1(sent.left(TableModel::kLongestName));
}

struct Shown
{
    QString where;
    QString text;
    QString whole; // the name as kept
    int room;      // pixels the text has
    int width;     // pixels the text takes
};

class LongNamesTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        windows = attachSideWindows(*table);
        table->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(table.get()));
        login(2, hostName("Bartholomew-"));
        seatPlayer(1, hostName("Anastasia-"));
        seatPlayer(3, hostName("Cornelius-"));
        seatPlayer(4, hostName("Dorothea-"));
        for (int spy = 5; spy <= 9; ++spy)
            feed("CMD_newplayerinfo+" + QByteArray::number(spy) + '+' +
                 hostName("Spy" + QByteArray::number(spy) + '-'));
        feed({"CMD_startgame+Host+500+y+n+n+", "CMD_startround+1+1+", "CMD_nextplayer+3+0+"});
        table->findChild<QAction *>("LastTrick1")->trigger();
        windows->showWindow("SpyList1");
    }

    static Shown label(QLabel *label, const QString &whole)
    {
        return {label->objectName(), label->text(), whole, label->contentsRect().width(),
                label->fontMetrics().horizontalAdvance(label->text())};
    }

    // Every name as drawn, with the room it has.
    QList<Shown> names() const
    {
        QList<Shown> shown;
        for (int seat = 1; seat <= 4; ++seat)
            shown << label(table->playernameLabel(seat), table->model().seatName(seat));
        for (int position = 1; position <= 4; ++position)
            shown << label(windows->lasttrick()->findChild<QLabel *>(
                               QStringLiteral("label_last%1").arg(position)),
                           table->model().seatName(position % 4 + 1));
        auto *spies = windows->spylist()->findChild<QListWidget *>("listbox_spys");
        for (int row = 0; row < spies->count(); ++row) {
            const QString text = spies->item(row)->text();
            const QByteArray spy = QByteArray::number(row + 5);
            shown << Shown{"spy " + spy, text.mid(3), kept(hostName("Spy" + spy + '-')),
                           spies->viewport()->width(),
                           spies->fontMetrics().horizontalAdvance(text)};
        }
        return shown;
    }

    // Where the texts of a window are drawn, in their parents' units.
    static QList<std::pair<QLabel *, QRect>> texts(QWidget *window)
    {
        QList<std::pair<QLabel *, QRect>> found;
        for (QLabel *l : window->findChildren<QLabel *>()) {
            if (qobject_cast<BoardPicture *>(l) || l->text().isEmpty() || !l->isVisibleTo(window))
                continue;
            const QSize size(l->fontMetrics().horizontalAdvance(l->text()),
                             l->fontMetrics().height());
            const QRect drawn =
                QStyle::alignedRect(Qt::LeftToRight, l->alignment(), size, l->contentsRect());
            found.append({l, drawn.translated(l->pos())});
        }
        return found;
    }
    static QString tipText(const QString &tip)
    {
        return QTextDocumentFragment::fromHtml(tip).toPlainText();
    }

    SideWindows *windows = nullptr;
};

TEST_F(LongNamesTest, EveryNameShowsItsStartAndAnEllipsisWithinItsOwnRoom)
{
    for (const qreal scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        // The board's first room, then the room for twice its size.
        const QSize room = scale == 1.0 ? QSize(768, 483) : QSize(1552, 1014);
        table->resize(table->size() + (room - table->boardPanel()->size()));
        QCoreApplication::processEvents();
        ASSERT_DOUBLE_EQ(table->boardScaler().scale(), scale);

        const QList<Shown> shown = names();
        ASSERT_EQ(shown.size(), 4 + 4 + 5);
        for (const Shown &s : shown) {
            SCOPED_TRACE(s.where.toStdString() + " \"" + s.text.toStdString() + '"');
            ASSERT_EQ(s.whole.size(), TableModel::kLongestName);
            EXPECT_TRUE(s.text.endsWith(kEllipsis));
            EXPECT_GT(s.text.size(), 4) << "some of the name shows";
            EXPECT_TRUE(s.whole.startsWith(s.text.chopped(1)));
            EXPECT_LE(s.width, s.room);
        }

        // The status line keeps its own words after the cut name.
        auto *status = control<QLabel>("label_status");
        EXPECT_TRUE(status->text().endsWith(QString(kEllipsis) + "'s turn."))
            << status->text().toStdString();
        EXPECT_TRUE(table->model().seatName(3).startsWith(status->text().chopped(10)));
        EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()),
                  status->contentsRect().width());
        EXPECT_EQ(table->status(), table->model().seatName(3) + "'s turn.");

        // Nothing runs into anything else.
        for (QWidget *window :
             {static_cast<QWidget *>(table.get()), static_cast<QWidget *>(windows->lasttrick())}) {
            const auto drawn = texts(window);
            for (int a = 0; a < drawn.size(); ++a) {
                for (int b = a + 1; b < drawn.size(); ++b) {
                    const auto &[one, oneRect] = drawn[a];
                    const auto &[other, otherRect] = drawn[b];
                    if (one->parentWidget() != other->parentWidget())
                        continue;
                    EXPECT_FALSE(oneRect.intersects(otherRect))
                        << one->objectName().toStdString() << " / "
                        << other->objectName().toStdString();
                }
            }
        }
    }
}

TEST_F(LongNamesTest, TheWholeNameStaysInTheTooltipAndForTheScreenReader)
{
    for (int seat = 1; seat <= 4; ++seat) {
        BoardLabel *label = table->playernameLabel(seat);
        const QString whole = table->model().seatName(seat);
        EXPECT_EQ(tipText(label->toolTip()), whole);
        EXPECT_TRUE(label->accessibleName().startsWith(whole + ", "))
            << label->accessibleName().toStdString();
    }
    for (int position = 1; position <= 4; ++position) {
        auto *label =
            windows->lasttrick()->findChild<QLabel *>(QStringLiteral("label_last%1").arg(position));
        const QString whole = table->model().seatName(position % 4 + 1);
        EXPECT_EQ(tipText(label->toolTip()), whole);
        EXPECT_EQ(label->accessibleName(), whole);
    }
    EXPECT_EQ(control<QLabel>("label_status")->accessibleName(), table->status());
    auto *spies = windows->spylist()->findChild<QListWidget *>("listbox_spys");
    const QStringList lines = windows->spylist()->lines();
    ASSERT_EQ(lines.size(), 5);
    for (int row = 0; row < 5; ++row) {
        const QByteArray spy = QByteArray::number(row + 5);
        EXPECT_EQ(lines[row], spy + ": " + kept(hostName("Spy" + spy + '-')));
        EXPECT_EQ(tipText(spies->item(row)->toolTip()), lines[row]);
    }
    // A short name shows whole, with the seat's own tooltip.
    seatPlayer(4, "Dot");
    EXPECT_EQ(table->playernameLabel(4)->text(), "Dot");
    EXPECT_EQ(table->playernameLabel(4)->toolTip(), "Kling");
}

} // namespace
