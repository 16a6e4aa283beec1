// The lobby download window.
#include "shell/tdownload.h"

#include "platform/programfolder.h"
#include "platform/settingsfile.h"
#include "shell/jpegimage.h"
#include "shell/shelllauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>

const QString Tdownload::kDefaultDownloadAddress =
    QStringLiteral("http://www.velnor.com/lobby/kwrsetup.exe");
const QString Tdownload::kInstallerParameters = QStringLiteral("/SP- /silent /noicons");

namespace {

const QString kDownloadKey = QStringLiteral("Lobbydownload");
const QString kLobbyKey = QStringLiteral("Lobbyprogram");

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &box)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(box);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, const QRect &box)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(box);
    return button;
}

QFrame *makePanel(QWidget *parent, const char *name, const QRect &box)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(box);
    return panel;
}

} // namespace

Tdownload::Tdownload(QWidget *parent, ShellLauncher *shell)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      m_shell(shell ? shell : &systemShellLauncher())
{
    setObjectName(QStringLiteral("Tdownload"));
    setWindowTitle(QStringLiteral("Download The Velnor Lobby"));
    setModal(false);
    buildControls();
    connect(&m_http, &HttpCli::headerData, this, &Tdownload::HttpCli1HeaderData);
    connect(&m_http, &HttpCli::docBegin, this, &Tdownload::HttpCli1DocBegin);
    connect(&m_http, &HttpCli::docData, this, &Tdownload::HttpCli1DocData);
    connect(&m_http, &HttpCli::requestDone, this, &Tdownload::HttpCli1RequestDone);
    m_http.setUserAgent("Mozilla/3.0 (compatible)");
    m_http.setAccept("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    loadEmbeddedPicture();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

// The file of an unfinished download is dropped, never left half-written.
Tdownload::~Tdownload() = default;

void Tdownload::buildControls()
{
    setFixedSize(760, 404);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("image_lobby"));
    m_picture->setGeometry(8, 1, 436, 360);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const int x = 452;
    const int w = 300;
    QLabel *headline = makeLabel(this, "label_headline",
                                 QStringLiteral("Download The Velnor Lobby Now to play this  "
                                                "and other exciting games online with other "
                                                "players! "),
                                 QRect(x, 6, w, 52));
    QFont bold = headline->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    headline->setFont(bold);

    m_getbutton =
        makeButton(this, "getbutton", QStringLiteral("Download And Install The Velnor Lobby Now"),
                   QRect(x, 62, w, 30));
    m_abortbutton =
        makeButton(this, "abortbutton", QStringLiteral("Stop Download"), QRect(x, 96, w, 24));
    m_infolabel = makeLabel(this, "infolabel", QString(), QRect(x, 124, w, 18));
    m_infolabel3 = makeLabel(this, "infolabel3", QString(), QRect(x, 142, w, 18));
    m_infolabel2 = makeLabel(this, "infolabel2", QString(), QRect(x, 142, w, 18));
    m_infolabel2->hide();

    QFrame *solo = makePanel(this, "panel_solo", QRect(x, 164, w, 80));
    makeLabel(solo, "label_solo",
              QStringLiteral("To proceed to the game without the ability to play against "
                             "others click the button below."),
              QRect(6, 4, w - 12, 40));
    QPushButton *button1 =
        makeButton(solo, "Button1", QStringLiteral("Play Solo Game"), QRect(6, 50, w - 12, 24));
    button1->setDefault(true);

    QFrame *lobby = makePanel(this, "panel_lobby", QRect(x, 248, w, 104));
    makeLabel(lobby, "label_lobby",
              QStringLiteral("If you already have The Velnor Lobby and you wish to play with "
                             "others then click the button below to close this game and open "
                             "The Velnor Lobby."),
              QRect(6, 4, w - 12, 66));
    QPushButton *button2 =
        makeButton(lobby, "Button2", QStringLiteral("Play with Others"), QRect(6, 74, w - 12, 24));

    QLabel *firewall = makeLabel(this, "label_firewall",
                                 QStringLiteral("Note: Even if you are playing offline, you will "
                                                "need to configure your FIREWALL to allow the "
                                                "game to access the internet components."),
                                 QRect(8, 364, 744, 36));
    QFont small = firewall->font();
    small.setItalic(true);
    firewall->setFont(small);

    connect(m_getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(m_abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(button2, &QPushButton::clicked, this, &Tdownload::Button2Click);
    setIdle(true);
}

void Tdownload::setMessageSink(std::function<void(const QString &)> sink)
{
    m_messageSink = std::move(sink);
}

void Tdownload::showMessage(const QString &text)
{
    if (m_messageSink)
        m_messageSink(text);
    else
        QMessageBox::information(this, QStringLiteral("Spades"), text);
}

void Tdownload::loadEmbeddedPicture()
{
    QFile file(QStringLiteral(":/images/lobby.jpg"));
    if (file.open(QIODevice::ReadOnly))
        setPicture(file.readAll());
}

bool Tdownload::setPicture(const QByteArray &jpegData)
{
    const QImage image = jpeg::decode(jpegData);
    if (image.isNull()) {
        m_picture->clear();
        return false;
    }
    m_picture->setPixmap(QPixmap::fromImage(image));
    return true;
}

QString Tdownload::fileNameOf(const QString &documentPath)
{
    QString name = documentPath;
    for (qsizetype slash = name.indexOf(QLatin1Char('/')); slash >= 0;
         slash = name.indexOf(QLatin1Char('/')))
        name.remove(0, slash + 1);
    return name;
}

QString Tdownload::downloadAddress()
{
    const QString address = SettingsFile().readString(kDownloadKey, QString());
    return address.isEmpty() ? kDefaultDownloadAddress : address;
}

QString Tdownload::lobbyProgramPath()
{
    const QString path = SettingsFile().readString(kLobbyKey, QString());
    if (!path.isEmpty())
        return path;
    return platform::executableFolder() + QStringLiteral("/spades-lobby");
}

void Tdownload::setIdle(bool idle)
{
    m_getbutton->setEnabled(idle);
    m_abortbutton->setEnabled(!idle);
}

void Tdownload::getbuttonClick()
{
    if (m_http.isRunning() || m_file)
        return;
    m_outcome = 1;
    const QUrl address(downloadAddress());
    const QString name = fileNameOf(address.path());
    m_infolabel2->setText(name);

    const QString path = platform::programFile(name);
    m_file = std::make_unique<QSaveFile>(path);
    // The old file is replaced only once the new one is complete.
    if (name.isEmpty() || !m_file->open(QIODevice::WriteOnly)) {
        m_file.reset();
        m_outcome = 2;
        m_infolabel->setText(QStringLiteral("Unable to create ") + path);
        return;
    }
    setIdle(false);
    m_infolabel->setText(QStringLiteral("Loading"));
    m_http.get(address, m_file.get());
}

void Tdownload::abortbuttonClick()
{
    m_http.stop();
    m_infolabel->setText(QStringLiteral("Download has been aborted."));
    m_outcome = 2;
    m_infolabel3->setText(QStringLiteral("Download Aborted"));
}

void Tdownload::HttpCli1HeaderData(const QByteArray &)
{
    m_infolabel->setText(m_infolabel->text() + QLatin1Char('.'));
}

void Tdownload::HttpCli1DocBegin()
{
    m_infolabel3->setText(QStringLiteral("Downloading: ") + m_infolabel2->text());
}

void Tdownload::HttpCli1DocData(qint64 received)
{
    m_infolabel->setText(QString::number(received) + QStringLiteral(" bytes"));
}

void Tdownload::HttpCli1RequestDone(HttpCli::Outcome result)
{
    if (!m_file)
        return;
    const QString path = m_file->fileName();
    if (result == HttpCli::Outcome::Done && !m_file->commit()) {
        m_infolabel->setText(QStringLiteral("Unable to write to ") + path);
        m_outcome = 2;
    } else if (result == HttpCli::Outcome::Done) {
        m_infolabel->setText(QStringLiteral("Received ") + QString::number(QFileInfo(path).size()) +
                             QStringLiteral(" bytes"));
    } else if (result == HttpCli::Outcome::HttpFailure) {
        m_infolabel->setText(QStringLiteral("Download Aborted"));
        m_outcome = 2;
    } else {
        // Unlike a refused status, a broken transfer leaves a partial file
        // that must never be started.
        m_infolabel->setText(QStringLiteral("Download Failed: ") + m_http.errorText());
        m_outcome = 2;
    }
    setIdle(true);
    m_file.reset(); // drops the partial file unless committed above
    if (m_outcome == 2)
        return;
    m_infolabel3->setText(QStringLiteral("Installing"));
    if (!m_shell->open(path, kInstallerParameters, ShellLauncher::Show::Normal))
        showMessage(QStringLiteral("An Error has Occurred."));
    else
        emit exitRequested();
}

void Tdownload::Button1Click()
{
    close();
}

void Tdownload::Button2Click()
{
    const QString path = lobbyProgramPath();
    if (!QFileInfo::exists(path)) {
        showMessage(QStringLiteral("Please close the game and open the Velnor Lobby using the "
                                   "icon on your desktop or using the your Window's start-up "
                                   "menu."));
        return;
    }
    if (m_shell->open(path, QString(), ShellLauncher::Show::WithoutActivation))
        emit exitRequested();
    else
        showMessage(QStringLiteral("An Error has Occurred."));
}
