#pragma once

#include <QLabel>

class QFontMetrics;

// A player's name as it fits `width` pixels: whole where it fits, else its
// start and an ellipsis. A name is never shown by its middle or its end.
QString elideName(const QString &name, const QFontMetrics &metrics, int width);

// A tooltip that shows the text as it is: Qt reads a tooltip that looks like
// markup as markup, and names come from the network.
QString plainToolTip(const QString &text);

// A label that shows a player's name, alone or followed by words of its own
// ("Ann's turn."). Where the line does not fit, the name is cut to its start
// and an ellipsis and the words after it stay; the tooltip then holds the
// whole line. It fits the line again whenever its size or font changes.
class NameLabel : public QLabel
{
    Q_OBJECT

public:
    explicit NameLabel(QWidget *parent = nullptr);

    void setName(const QString &name, const QString &after = QString());
    // The line as given, whatever part of it shows.
    QString wholeText() const { return m_name + m_after; }
    // The tooltip while the whole line shows.
    void setPlainToolTip(const QString &tip);

protected:
    bool event(QEvent *event) override;

private:
    void fit();
    int room() const;

    QString m_name;
    QString m_after;
    QString m_plainToolTip;
};
