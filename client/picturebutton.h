#pragma once

#include <QAbstractButton>

// A button drawn as one picture with its caption; the picture is pushed in
// while the button is held down.
class PictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit PictureButton(const QString &caption, QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
