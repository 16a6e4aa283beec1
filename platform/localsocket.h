#pragma once

#include <QByteArray>
#include <QString>

// Local sockets between copies of the program run by one user.
namespace localsocket {

// The user's runtime folder, where lock files and local sockets live (made
// when missing).
QString runtimeFolder();

// Writes `bytes` to the program listening at `path`. A copy that holds its
// lock but does not listen yet is given a moment. False when nobody could be
// reached or the bytes did not go out.
bool tell(const QString &path, const QByteArray &bytes);

} // namespace localsocket
