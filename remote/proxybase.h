#pragma once
// Machinery behind the generated proxy TServerMethods1Client.
//
// Ownership follows the remote method platform's rules:
//  - an object parameter is released as soon as it is in its JSON form
//    (operations take std::unique_ptr, so the record in use can't be handed over);
//  - an object or stream result belongs to the method's command and is released
//    when that command executes again or the proxy is released;
//  - a table result is handed to the caller, who moves it into its own table.

#include "remote/dsconnection.h"
#include "wire/datatable.h"
#include "wire/json.h"
#include "wire/methodtable.h"

#include <QBuffer>
#include <QIODevice>

#include <array>
#include <memory>

namespace tarsel {

class TSonucBilgisi;
class TSiparisDipAyrinti;
class TTusSonuclari;
class TMobilCariBilgisi;
class TAcilisEkran;
class TAcilisEkranlariki;

// The decoded answer of one execution.
class Reply {
public:
    wire::Element at(int position) const;
    DataTable table(int position) const;
    std::unique_ptr<QIODevice> stream(int position);

    void load(HttpResult &&http, const wire::MethodDecl &decl);

private:
    simdjson::dom::parser parser_;
    simdjson::dom::array results_;
    const wire::MethodDecl *decl_ = nullptr;
    QByteArray body_;
    bool streamAnswer_ = false;
    std::string header_;
};

class ProxyBase {
public:
    explicit ProxyBase(DSConnection &connection) : connection_(connection) {}
    virtual ~ProxyBase();
    ProxyBase(const ProxyBase &) = delete;
    ProxyBase &operator=(const ProxyBase &) = delete;

    DSConnection &connection() const { return connection_; }

protected:
    // One prepared command per server method, created on first use.
    struct Command {
        const wire::MethodDecl *decl = nullptr;
        QString commandType;  // "DataSnap.ServerMethod"
        QString text;         // "TServerMethods1.<Method>"
        Reply reply;
        std::shared_ptr<void> object;  // last object result
        std::unique_ptr<QIODevice> stream;

        template <class T> T *keepObject(std::unique_ptr<T> obj)
        {
            T *raw = obj.get();
            object = std::shared_ptr<void>(std::move(obj));
            return raw;
        }
        QIODevice *keepStream(std::unique_ptr<QIODevice> s)
        {
            stream = std::move(s);
            return stream.get();
        }
    };

    Command &command(int methodId);
    static void beginParams(wire::JsonWriter &w);
    static void endParams(wire::JsonWriter &w);
    // Sends the call and decodes the answer. Releases the previous results of
    // the command first. Throws RemoteError / ConnectionError.
    Reply &execute(Command &cmd, std::string &&request);

private:
    DSConnection &connection_;
    std::vector<std::unique_ptr<Command>> commands_;
};

}  // namespace tarsel
