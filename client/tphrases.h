#pragma once

#include "platform/settingsfile.h"

#include <QDialog>
#include <QPixmap>
#include <array>
#include <functional>

class PhraseButtons;
class QLineEdit;

// The editor of the phrase buttons. It works on copies: opening copies the
// buttons' phrases in, "Done" copies them back and stores them, and closing
// by the frame throws the edits away.
class Tphrases : public QDialog
{
    Q_OBJECT
public:
    using ErrorReport = std::function<void(const QString &message)>;

    Tphrases(PhraseButtons *buttons, QWidget *mainWindow);

    void setBackgroundPicture(const QPixmap &picture);
    void setSettingsFile(const SettingsFile &file) { m_settings = file; }
    // How a failed write reaches the player; a message box by default.
    void setErrorReport(ErrorReport report) { m_report = std::move(report); }

    // View > "Phrase List".
    void PrhaseList1Click();
    void button_doneClick();

private:
    PhraseButtons *m_buttons;
    QWidget *m_mainWindow;
    std::array<QLineEdit *, 9> m_fields{};
    SettingsFile m_settings;
    ErrorReport m_report;
};
