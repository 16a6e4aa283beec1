#pragma once

#include "protocol/clientmessages.h"
#include "protocol/hostmessages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>
#include <variant>

// Every message of one direction as one value, and the one place that picks a
// message type by its command name.
namespace wire {

// In the order the host's dispatcher lists them; the seat's way back last.
using ToHost = std::variant<toHost::LoginInfo, toHost::KickHim, toHost::BotSpeed, toHost::Chat,
                            toHost::Action, toHost::StartGame, toHost::JustWatch, toHost::MyBid,
                            toHost::PlayCard, toHost::PlayASound, toHost::Closed, toHost::Rejoin>;

// In the order the table's dispatcher lists them; the seat's ticket last.
using ToClient =
    std::variant<toClient::SendLoginInfo, toClient::Chat, toClient::Action, toClient::NewPlayerInfo,
                 toClient::HaveWrongVersion, toClient::WrongVersion, toClient::ExistingPlayers,
                 toClient::PlayerDisconnected, toClient::StartGame, toClient::NextPlayer,
                 toClient::Winner, toClient::Full, toClient::JustWatching, toClient::MyCards,
                 toClient::StartRound, toClient::GetBid, toClient::HeBid, toClient::FinalBid,
                 toClient::Error, toClient::HePlayed, toClient::UseCard, toClient::TookTrick,
                 toClient::PostScores, toClient::GameStats, toClient::LoadCards,
                 toClient::PlayASound, toClient::SeatTicket>;

// One message as the receive queue hands it over (terminator removed): the
// command name before the first "+", the payload after it. Nothing for a
// message without "+", an unknown name (compared exactly, case and all), a
// payload its receiver would not act on, or a 0xFF byte, which the queue
// never leaves inside a message.
std::optional<ToHost> decodeToHost(QByteArrayView message);
std::optional<ToClient> decodeToClient(QByteArrayView message);

// Whether a message to the host is a chat or action line, which the host
// sends on to every connection; read from its command name alone.
bool isLineToRelay(QByteArrayView message);

QByteArray encode(const ToHost &message);
QByteArray encode(const ToClient &message);

// The command names, in the dispatchers' order.
const QList<QByteArray> &hostCommandNames();
const QList<QByteArray> &clientCommandNames();

} // namespace wire
