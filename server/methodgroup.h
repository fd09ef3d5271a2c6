#pragma once
// The server's methods come in groups, each in its own files, stacked into
// one class (ServerMethods) so that the dispatcher sees one implementation:
//
//   MethodGroup          the worker's database connection
//   SignInMethods        sign-in, account card, requests        signinmethods.*
//   CatalogueMethods     stock search, pictures, basket, order   cataloguemethods.*
//   PromoMethods         statement, invoices, adverts, banners,
//                        ticker, documents, mail form           promomethods.*
//   HistoryMethods       previous orders, balances, item history,
//                        reports, customer console, badges      historymethods.*
//   ServerMethods        the whole set                          servermethods.h

#include "generated/servermethods_gen.h"

namespace tarsel::server {

class Db;

class MethodGroup : public TServerMethods1 {
protected:
    explicit MethodGroup(Db &db) : db_(db) {}
    Db &db_;
};

}  // namespace tarsel::server
