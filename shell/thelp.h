#pragma once

#include <QStringList>
#include <QWidget>

class QListWidget;
class QTextBrowser;

// The help window: a list of topics beside the page of the chosen topic.
// Pages are HTML embedded under ":/help/" and may link to each other.
class Thelp : public QWidget
{
    Q_OBJECT

public:
    explicit Thelp(QWidget *parent = nullptr);

    // Page names in the order of the list: "overview", "connecting",
    // "gameplay", "scoring", "history".
    static QStringList pageNames();

    // Shows the page and selects its topic; an unknown name shows nothing new.
    void showPage(const QString &name);
    QString currentPage() const;

private:
    void syncTopic();

    QListWidget *m_topics;
    QTextBrowser *m_browser;
    QString m_page;
};
