#pragma once

#include <QDialog>

class QLabel;

// The About window: the program's name, its version text (the one players
// compare when they join a table) and its maker. Created once and hidden
// until Help › "About".
class Tabout : public QDialog
{
    Q_OBJECT

public:
    explicit Tabout(QWidget *parent = nullptr);

    static QString versionText();
    static QString makerText();
};
