#pragma once
// The client's surroundings for tests that run the real windows against a
// test server: a home folder of its own and the deployment settings.

#include <QString>

namespace tarsel::test {

class ServerProcess;

// Makes `home` the user's home and the desktop's folders (configuration,
// data, runtime) lie inside it: the settings file, documents and downloads
// of the windows under test go there.
void UsePrivateHome(const QString &home);

// Writes "tarselb2b.conf" into `dir`: the server's address and ports, its
// web side for the outside-address query, the request page and the
// installer, and an alias that makes this machine's own computer
// identifier `machine`. Returns the file's path, or an empty string (the
// reason on stderr) when this machine has no computer identifier or the
// file cannot be written.
QString WriteClientSettings(const QString &dir, const ServerProcess &server, const QString &machine);

}  // namespace tarsel::test
