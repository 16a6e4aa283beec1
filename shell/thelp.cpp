// The help window.
#include "shell/thelp.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QShortcut>
#include <QTextBrowser>

namespace {

struct Topic
{
    const char *page;
    const char *title;
};

constexpr Topic kTopics[] = {
    {"overview", "Overview"}, {"connecting", "Connecting"},   {"gameplay", "Game Play"},
    {"scoring", "Scoring"},   {"history", "Version History"},
};

QUrl pageUrl(const QString &name)
{
    return QUrl(QStringLiteral("qrc:/help/") + name + QStringLiteral(".html"));
}

} // namespace

Thelp::Thelp(QWidget *parent)
    : QWidget(parent, Qt::Window), m_topics(new QListWidget(this)),
      m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("Thelp"));
    setWindowTitle(QStringLiteral("Spades Help"));
    resize(640, 460);

    m_topics->setObjectName(QStringLiteral("list_topics"));
    m_browser->setObjectName(QStringLiteral("browser_help"));
    m_browser->setOpenExternalLinks(true);
    for (const Topic &topic : kTopics)
        m_topics->addItem(QString::fromLatin1(topic.title));
    m_topics->setFixedWidth(140);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_topics);
    layout->addWidget(m_browser, 1);

    connect(m_topics, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < pageNames().size() && pageNames().at(row) != currentPage())
            m_browser->setSource(pageUrl(pageNames().at(row)));
    });
    // The browser reports the new address before source() returns it.
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl &url) {
        m_page = QFileInfo(url.path()).completeBaseName();
        syncTopic();
    });
    // Escape closes the window, as it does every other box of the program.
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    showPage(QStringLiteral("overview"));
}

QStringList Thelp::pageNames()
{
    QStringList names;
    for (const Topic &topic : kTopics)
        names.append(QString::fromLatin1(topic.page));
    return names;
}

void Thelp::showPage(const QString &name)
{
    if (!pageNames().contains(name) ||
        !QFile::exists(QStringLiteral(":/help/") + name + QStringLiteral(".html")))
        return;
    m_browser->setSource(pageUrl(name));
}

QString Thelp::currentPage() const
{
    return m_page;
}

void Thelp::syncTopic()
{
    const int row = pageNames().indexOf(currentPage());
    if (row >= 0 && m_topics->currentRow() != row)
        m_topics->setCurrentRow(row);
}
