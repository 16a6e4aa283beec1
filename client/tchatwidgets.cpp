#include "client/tchatwidgets.h"

#include "client/accessiblenames.h"
#include "resources/pictures.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <QPainter>
#include <algorithm>

BoardPicture::BoardPicture(const QString &name, const QRect &geometry, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TranslucentBackground);
}

void BoardPicture::setPicture(PictureMaker maker)
{
    m_maker = std::move(maker);
    m_drawn = QPixmap();
    update();
}

void BoardPicture::clearPicture()
{
    m_maker = nullptr;
    m_drawn = QPixmap();
    update();
}

void BoardPicture::setScale(qreal scale)
{
    if (qFuzzyCompare(scale, m_scale))
        return;
    m_scale = scale;
    m_drawn = QPixmap();
    update();
}

void BoardPicture::setFill(bool fill)
{
    m_fill = fill;
    update();
}

void BoardPicture::paintEvent(QPaintEvent *)
{
    if (!m_maker)
        return;
    const qreal ratio = devicePixelRatioF();
    if (m_drawn.isNull() || m_drawnRatio != ratio) {
        // Drawn at the ratio times the scale, the picture has as many pixels
        // as the screen shows of it: no stretching.
        m_drawn = m_maker(ratio * m_scale);
        m_drawnRatio = ratio;
    }
    if (m_drawn.isNull())
        return;
    QPainter painter(this);
    const QRectF target =
        m_fill ? QRectF(rect()) : QRectF(QPointF(0, 0), QSizeF(m_drawn.size()) / ratio);
    painter.drawPixmap(target, m_drawn, QRectF(m_drawn.rect()));
}

void BoardPicture::mousePressEvent(QMouseEvent *event)
{
    emit pressed(event->button());
    event->accept();
}

BoardLabel::BoardLabel(const QString &name, const QString &text, const QPoint &at, QWidget *parent)
    : NameLabel(parent)
{
    setName(text);
    setObjectName(name);
    move(at);
}

void BoardLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        emit rightClicked(event->globalPosition().toPoint());
    NameLabel::mousePressEvent(event);
}

BoardButton::BoardButton(const QString &name, const QString &caption, const QRect &geometry,
                         QWidget *parent)
    : QAbstractButton(parent)
{
    setObjectName(name);
    setText(caption);
    setGeometry(geometry);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab; a click leaves the keys with the table.
    setFocusPolicy(Qt::TabFocus);
    m_baseSize = geometry.size();
}

void BoardButton::keyPressEvent(QKeyEvent *event)
{
    // Return presses the button that shows the focus, not the table's move.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void BoardButton::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    const qreal scale = m_baseSize.isEmpty() ? 1.0 : qreal(width()) / m_baseSize.width();
    const QPixmap face = pictures::pictureButton(text(), m_baseSize, isDown(), ratio * scale);
    QPainter painter(this);
    painter.drawPixmap(QRectF(QPointF(0, 0), QSizeF(face.size()) / ratio), face,
                       QRectF(face.rect()));
}

CardPicture::CardPicture(int position, int card, QWidget *parent)
    : BoardPicture(QStringLiteral("card%1").arg(position), QRect(QPoint(0, 0), pictures::kCardSize),
                   parent),
      m_position(position), m_card(card)
{
    setToolTip(QString::number(card));
    setAccessibleName(accessiblenames::cardName(card));
    setPicture([card](qreal ratio) { return pictures::card(card, ratio); });
}

void CardPicture::setDimmed(bool dimmed)
{
    if (dimmed == m_dimmed)
        return;
    m_dimmed = dimmed;
    const QString name = accessiblenames::cardName(m_card);
    setAccessibleName(dimmed ? name + QStringLiteral(", cannot be played now") : name);
    update();
}

void CardPicture::paintEvent(QPaintEvent *event)
{
    BoardPicture::paintEvent(event);
    const QPixmap &face = drawnPicture();
    if (!m_dimmed || face.isNull())
        return;
    // Shaped by the picture's own alpha, so the rounded corners stay clear.
    if (m_veilOf != face.cacheKey()) {
        m_veil = QImage(face.size(), QImage::Format_ARGB32_Premultiplied);
        m_veil.setDevicePixelRatio(face.devicePixelRatio());
        m_veil.fill(Qt::transparent);
        QPainter veil(&m_veil);
        veil.drawPixmap(0, 0, face);
        veil.setCompositionMode(QPainter::CompositionMode_SourceIn);
        veil.fillRect(QRectF(QPointF(0, 0), face.deviceIndependentSize()), QColor(0, 0, 0, 120));
        m_veilOf = face.cacheKey();
    }
    QPainter painter(this);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(m_veil.size()) / devicePixelRatioF()), m_veil,
                      QRectF(m_veil.rect()));
}

UpDown::UpDown(const QString &name, const QRect &geometry, QLineEdit *buddy, int minimum,
               int maximum, QWidget *parent)
    : QWidget(parent), m_buddy(buddy), m_minimum(minimum), m_maximum(maximum), m_position(minimum)
{
    setObjectName(name);
    setGeometry(geometry);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const std::pair<Qt::ArrowType, int> arrows[] = {{Qt::UpArrow, +1}, {Qt::DownArrow, -1}};
    for (const auto &[arrow, delta] : arrows) {
        auto *button = new QToolButton(this);
        button->setObjectName(delta > 0 ? name + QStringLiteral("_up")
                                        : name + QStringLiteral("_down"));
        button->setArrowType(arrow);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setAutoRepeat(true);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, delta = delta] { step(delta); });
    }
}

void UpDown::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void UpDown::step(int delta)
{
    bool ok = false;
    const int typed = m_buddy ? m_buddy->text().toInt(&ok) : 0;
    setPosition((ok ? std::clamp(typed, m_minimum, m_maximum) : m_position) + delta);
}
