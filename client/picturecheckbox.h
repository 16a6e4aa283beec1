#pragma once

#include <QList>
#include <QPixmap>
#include <QWidget>

// An on/off option shown as a picture. The state is the tag: 1 is on, any
// other value is off. The face comes from a two-picture list, 0 off and 1 on.
class PictureCheckBox : public QWidget
{
    Q_OBJECT
public:
    PictureCheckBox(const QList<QPixmap> *faces, QWidget *parent = nullptr);

    int tag() const { return m_tag; }
    // Stores the tag as given and redraws; only 1 reads as on.
    void setTag(int tag);
    bool isOn() const { return m_tag == 1; }
    // A click turns an off box on and anything else off.
    void toggle() { setTag(m_tag == 0 ? 1 : 0); }

signals:
    void toggled(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const QList<QPixmap> *m_faces;
    int m_tag = 0;
};
