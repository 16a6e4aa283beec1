#pragma once

#include <QWidget>

class LobbyModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
struct ListingFilter;

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

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Wrapped notes need more lines the narrower the window is: the window
    // never gets shorter than its layout needs at its width.
    void fitHeight(bool relayout = true);
    void refresh();
    void takeFields();
    void comeForward();
    QWidget *lanBox();
    void refreshLanTables();
    QWidget *openTablesBox();
    QLayout *filterControls();
    ListingFilter filterOfControls() const;
    void refreshOpenTables();
    void tellWhetherShown();
    void joinSelectedOpenTable();

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
    QCheckBox *m_listPublicly = nullptr;
    QLineEdit *m_tableName = nullptr;
    QTreeWidget *m_openTables = nullptr;
    QLabel *m_openStatus = nullptr;
    QComboBox *m_target = nullptr;
    QComboBox *m_bags = nullptr;
    QComboBox *m_blind = nullptr;
    QComboBox *m_twoOfClubs = nullptr;
    QComboBox *m_computers = nullptr;
    QCheckBox *m_freeSeat = nullptr;
    QPushButton *m_joinOpen = nullptr;
    QPushButton *m_quickPlay = nullptr;
    QPushButton *m_refreshOpen = nullptr;
};
