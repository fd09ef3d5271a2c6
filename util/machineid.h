#pragma once
// Machine identity: the computer identifier the server knows users by, plus
// the computer name, the signed-in user's name and the local IPv4 address
// that go into the session record.
//
// All functions are safe to call from any thread.

#include <QMap>
#include <QString>

namespace tarsel {

// Identifier -> fixed identifier. An identifier found as a key is replaced by
// its value; keys are compared after the identifier's own normalisation
// (see NormaliseAliasKey).
using AliasTable = QMap<QString, QString>;

// Computer identifier of this machine: the serial number of the first
// physical disk, else the address of the first network adapter, without
// spaces, passed through the deployment alias table. Empty when neither
// source gives anything.
QString GetComputerId();

// Computer name: the host name without its domain part, at most 15
// characters; empty when it cannot be read.
QString GetMachineName();

// Name of the signed-in user; empty when it cannot be read or when it is
// longer than 15 characters.
QString GetOsUserName();

// First IPv4 address of this computer's host name in dotted decimal form;
// "127.0.0.1" when the host name cannot be resolved to an IPv4 address.
QString GetLocalIPv4();

// ---------------------------------------------------------------------------
// Building blocks, exposed so that tests can feed fake system trees.

// The identifier computed from a sysfs root (normally "/sys") and a udev
// database root (normally "/run/udev/data"), then passed through `aliases`.
QString ComputeComputerId(const QString &sysRoot, const QString &udevRoot,
                          const AliasTable &aliases);

// Serial number of the first physical disk under <sysRoot>/block, with the
// letters a-z in capitals and spaces/control characters trimmed at both ends.
// Empty when there is no physical disk or it reports no serial.
QString FirstDiskSerial(const QString &sysRoot, const QString &udevRoot);

// Address of the first network adapter under <sysRoot>/class/net as six
// upper-case hex byte pairs joined by "-". Adapters backed by hardware come
// first (in interface index order), then the other ones except loopback. The
// walk moves on to the next adapter only while the text is exactly
// "00-00-00-00-00-00"; an adapter whose address cannot be read leaves the text
// as it was and ends the walk when the text is still empty.
QString FirstAdapterAddress(const QString &sysRoot);

// Letters a-z to capitals, spaces and control characters trimmed at both ends.
QString NormaliseSerial(const QString &raw);

// Removes every space and applies the alias table.
QString FinishComputerId(const QString &id, const AliasTable &aliases);

// Form in which an alias key is compared (ASCII letters in capitals, no
// spaces), so a key typed in lower case in the settings file still matches.
QString NormaliseAliasKey(const QString &key);

// The computer-name rule applied to a raw host name (domain part dropped,
// at most 15 characters).
QString MachineNameFromHostName(const QString &hostName);

// The user-name rule: empty when longer than 15 characters.
QString AcceptOsUserName(const QString &userName);

}  // namespace tarsel
