#pragma once

#include <QWidget>

class LobbyModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The lobby's window: the fields and buttons over a LobbyModel, which does
// the work. While the game runs the buttons rest; when it ends the window
// comes to the front to offer another table.
class LobbyWindow : public QWidget
{
    Q_OBJECT

public:
    explicit LobbyWindow(LobbyModel *model, QWidget *parent = nullptr);

    // An invitation: the address is filled in and the window comes forward,
    // asking for the name when it has none.
    void openLink(const QString &link);

private:
    void refresh();
    void takeFields();
    void comeForward();
    QWidget *lanBox();
    void refreshLanTables();

    LobbyModel *m_model;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_coordinator = nullptr;
    QComboBox *m_address = nullptr;
    QPushButton *m_host = nullptr;
    QPushButton *m_join = nullptr;
    QPushButton *m_solo = nullptr;
    QCheckBox *m_portMapping = nullptr;
    QLabel *m_reach = nullptr;
    QPushButton *m_copyInvitation = nullptr;
    QLabel *m_status = nullptr;
    QListWidget *m_lanTables = nullptr;
    QLabel *m_lanStatus = nullptr;
    QPushButton *m_joinLan = nullptr;
};
