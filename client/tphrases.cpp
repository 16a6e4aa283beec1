#include "client/tphrases.h"

#include "client/phrasebuttons.h"
#include "client/windowbackground.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {
const char *const kDesignedTexts[9] = {"Way To Go!",        "Excellent!",          "Brilliant!",
                                       "Good one!",         "Good Find!",          "Nice Try!",
                                       "Way To Go Teamie!", "Good Game Everyone!", "Good Luck!"};
} // namespace

Tphrases::Tphrases(PhraseButtons *buttons, QWidget *mainWindow)
    : QDialog(mainWindow), m_buttons(buttons), m_mainWindow(mainWindow)
{
    setObjectName("Tphrases");
    setWindowTitle("Spades - Phrase Buttons ");
    setFixedSize(368, 264);

    for (int i = 0; i < 9; ++i) {
        const int top = 8 + i * 22;
        auto *label = new QLabel(QStringLiteral("Phrase Button %1:").arg(i + 1), this);
        label->setGeometry(12, top + 2, 100, 18);
        auto *field = new QLineEdit(kDesignedTexts[i], this);
        field->setObjectName(QStringLiteral("phrase%1").arg(i + 1));
        field->setMaxLength(50);
        field->setGeometry(116, top, 240, 20);
        m_fields[i] = field;
    }
    auto *note = new QLabel("Buttons can only be used once every 2 seconds", this);
    note->setObjectName("label_note");
    note->setGeometry(12, 210, 344, 18);

    auto *done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setGeometry(281, 233, 75, 25);
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &Tphrases::button_doneClick);

    m_report = [this](const QString &message) { QMessageBox::critical(this, "Spades", message); };
}

void Tphrases::setBackgroundPicture(const QPixmap &picture)
{
    setWindowBackground(this, picture);
}

void Tphrases::PrhaseList1Click()
{
    for (int i = 0; i < 9; ++i)
        m_fields[i]->setText(m_buttons->phrase(i + 1));
    if (m_mainWindow) {
        QRect box = frameGeometry();
        box.moveCenter(m_mainWindow->frameGeometry().center());
        move(box.topLeft());
    }
    show();
    raise();
    activateWindow();
}

// Only the phrases the player changed are stored: the others may stand for
// stored ones the buttons have not been given yet, which must not be replaced.
void Tphrases::button_doneClick()
{
    QList<std::pair<QString, QString>> changed;
    for (int i = 0; i < 9; ++i) {
        const QString phrase = m_fields[i]->text();
        if (phrase == m_buttons->phrase(i + 1))
            continue;
        m_buttons->setPhrase(i + 1, phrase);
        changed.append({QStringLiteral("Phrase%1").arg(i + 1), phrase});
    }
    QString error;
    if (!changed.isEmpty() && !m_settings.write(changed, &error) && m_report)
        m_report(error);
    close();
}
