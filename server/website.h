#pragma once
// The seller's web side, served by tarsel-server on its own port
// (--web-port, default 9091) with the same HTTP front end, limits and
// time-outs as the main port. Paths are matched without regard to case.
//
//   GET  /  (also /index.html)            home page of the wholesaler
//   GET  /iletisim.html                   contact page
//   GET  /style.css                       style sheet of the pages
//   GET  /ip.php                          the caller's address as text/plain
//   GET  /resimgoster.ashx?id=<stock no>  the item's picture (image/jpeg, image/png or
//                                         image/bmp); 404 when there is none, 400 for a bad id
//   GET  /formmailgonder.aspx?carino=0&kullanici=&id=<computer id>
//                                         access request form for the machine
//   POST /formmailgonder.aspx             stores the request in access_requests and shows a
//                                         thank-you page; invalid input shows the form again
//                                         with the messages (422)
//   GET  /TarselSetup, /TarselSetup.exe   the installer (application/octet-stream, attachment)
//   GET  /download/latest                 302 to /TarselSetup
//   GET  /health                          as on the main port
//   anything else                         404 page; a known path with the wrong verb 405
//
// The pages and the installer live in server/web/ and are compiled into the
// program as Qt resources (":/web/..."). Every value a page echoes is HTML
// escaped.

#include "server/dbpool.h"
#include "server/httpserver.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarsel::server {

// Creates the access_requests table and its index when missing (SQLite and
// PostgreSQL). Safe to run any number of times, also by two servers at once.
void EnsureWebsiteTables(Db &db);

// Runs EnsureWebsiteTables through the pool (waits for it) and installs the
// web routes and the health check on server. Call before server.start().
void InstallWebsite(HttpServer &server, DbPool &pool);

// The web routes as one handler (installed by InstallWebsite).
RequestHandler MakeWebsiteHandler(DbPool &pool);

// --- pieces, public for the tests -----------------------------------------

// Escapes & < > " ' for HTML text and attribute values.
std::string HtmlEscape(std::string_view text);

// Decodes application/x-www-form-urlencoded text (a POST body or a query
// string): pairs split at '&', name and value at the first '=', '+' is a
// space, %XX a byte. nullopt when a %-escape is malformed or a name or value
// is not valid UTF-8.
std::optional<std::vector<std::pair<std::string, std::string>>> ParseFormData(std::string_view text);

// The address part of a peer "ip:port" or "[ipv6]:port".
std::string PeerAddress(std::string_view peer);

// Content type of a stored picture: from its kind ("jpeg", "jpg", "png",
// "bmp", case-insensitive, also as "image/<kind>"), else from its first
// bytes; empty when neither tells.
std::string PictureContentType(std::string_view kind, std::string_view bytes);

// One access request from the form. Texts are UTF-8.
struct AccessRequest {
    std::string carino;        // hidden: customer account number ("0" for a new customer)
    std::string kullanici;     // hidden: user name passed by the program
    std::string bilgisayarId;  // hidden "id": the computer identifier
    std::string firmaadi;
    std::string adres;
    std::string ilce;
    std::string sehir;
    std::string telefon;
    std::string fax;
    std::string vd;            // tax office
    std::string vn;            // tax number
    std::string yetkili;       // contact person
    std::string kullaniciadi;  // requested user name
    std::string mail;
    std::string kargoambar;    // carrier / warehouse
    std::string aciklama;      // note
    std::string ipAdresi;      // the sender's address
};

struct FieldError {
    std::string field;    // form field name ("firmaadi", ..., "id", "carino")
    std::string message;  // Turkish text shown beside the field
};

// Fills a request from decoded form pairs (the first value of each name).
AccessRequest AccessRequestFromForm(const std::vector<std::pair<std::string, std::string>> &form);

// Normalises the request (control characters out of one-line fields,
// surrounding blanks trimmed) and checks it; returns the errors in form
// order, empty when it may be stored.
std::vector<FieldError> ValidateAccessRequest(AccessRequest &request);

// Inserts a validated request into access_requests; returns its id.
qint64 StoreAccessRequest(Db &db, const AccessRequest &request);

// The form page with the request's values and the errors beside their fields.
std::string RenderAccessForm(const AccessRequest &request, const std::vector<FieldError> &errors);

} // namespace tarsel::server
