// Joining a table by the code a coordinator lists it under: "spades NAME
// 7KQ2-M9XD join --coordinator HOST[:PORT]". The code stands where the
// address would, so every connect the table makes, the first and each one
// after a lost connection, asks the coordinator again.
#include "client/tchat.h"
#include "coordinator/codeconnector.h"
#include "coordinator/coordinatorclient.h"
#include "protocol/invitecode.h"
#include "shell/spadesapp.h"

bool SpadesApp::joinsByCode(const QString &address) const
{
    const bool joining = m_arguments.size() >= 3 && m_arguments.at(2) != QLatin1String("true");
    return joining && invite::typedInField(address.toUtf8());
}

void SpadesApp::connectByCode(const QString &code)
{
    if (!m_codeConnector) {
        m_codeConnector =
            std::make_unique<CodeConnector>(CoordinatorClient::listOf(coordinatorSetting()));
        connect(m_codeConnector.get(), &CodeConnector::progress, this, [this](const QString &text) {
            if (!m_table->reconnecting())
                m_table->addlinetochat(QStringLiteral("0+") + text);
        });
        connect(m_codeConnector.get(), &CodeConnector::failed, this, &SpadesApp::codeJoinFailed);
    }
    m_codeConnector->connectTo(*sock(), code);
}

void SpadesApp::codeJoinFailed(const QString &why)
{
    // While the table finds its way back, the next attempt asks again; a box
    // would only stand in the way.
    if (m_table->reconnecting())
        return;
    m_table->addlinetochat(QStringLiteral("0+") + why);
    // Not inside the coordinator's or the relay's own handler.
    QMetaObject::invokeMethod(
        this, [this, why] { showMessage(why); }, Qt::QueuedConnection);
}
