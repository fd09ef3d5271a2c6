// Remote calls at the HTTP level against the real server: bad input of every
// kind gets a clear error answer, changes nothing and leaves the server
// serving.

#include "tests/server/serverprocess.h"
#include "tests/server/testhttp.h"

#include <gtest/gtest.h>

#include <simdjson.h>

using namespace tarsel::test;

namespace {

std::string errorOf(const std::string &body)
{
    simdjson::dom::parser p;
    simdjson::dom::element doc;
    if (p.parse(body).get(doc)) return "<not JSON: " + body + ">";
    std::string_view sv;
    if (doc["error"].get_string().get(sv)) return "<no error member: " + body + ">";
    return std::string(sv);
}

class RpcTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new ServerProcess;
        server->start({"--demo", "--machine", "RPC-PC"});
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(server->stop(), 0);
        delete server;
    }
    static std::string call(const std::string &method) { return server->url("/datasnap/TServerMethods1." + method); }
    static ServerProcess *server;
};
ServerProcess *RpcTest::server = nullptr;

const std::string kSession =
    R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":1201,"FMusteriTipi":3}})";

}  // namespace

TEST_F(RpcTest, GoodCallAnswersByPosition)
{
    HttpClient http;
    const HttpResult r = http.post(call("BuyukGetir"), R"({"params":["RPC-PC"]})");
    ASSERT_EQ(r.status, 200) << r.body;
    simdjson::dom::parser p;
    auto doc = p.parse(r.body).value();
    auto result = doc["result"].get_array().value();
    ASSERT_EQ(result.size(), 2u);
    EXPECT_TRUE(result.at(0).is_null());  // the input's position
    EXPECT_EQ(std::string_view(result.at(1)["type"].get_string().value()), "baglantiu.TSonucBilgisi");
    EXPECT_EQ(std::string_view(result.at(1)["fields"]["FADI"].get_string().value()), "BAYI");
}

TEST_F(RpcTest, BadInputGetsAClearErrorAndTheServerGoesOn)
{
    const struct {
        const char *method;
        std::string body;
        long status;
        const char *mentions;
    } cases[] = {
        {"BuyukGetir", R"({"params":["RPC-PC")", 400, "malformed JSON"},
        {"BuyukGetir", "", 400, "malformed JSON"},
        {"BuyukGetir", R"(["RPC-PC"])", 400, "\"params\""},
        {"BuyukGetir", R"({"params":"RPC-PC"})", 400, "must be an array"},
        {"BuyukGetir", R"({"params":[]})", 400, "takes 1 parameters, got 0"},
        {"BuyukGetir", R"({"params":["A","B"]})", 400, "takes 1 parameters, got 2"},
        {"BuyukGetir", R"({"params":[12]})", 400, "parameter 0 (idsi): expected a string, got an integer"},
        {"AltGrupVer", R"({"params":[null]})", 400, "parameter 0 (anagrup): expected a string, got null"},
        {"YenilerVer2", R"({"params":["1201"]})", 400, "parameter 0 (carino): expected an integer"},
        {"YenilerVer2", R"({"params":[4294967296]})", 400, "does not fit a 32-bit integer"},
        {"YenilerVer2", R"({"params":[1.5]})", 400, "expected an integer"},
        {"StokAraGetirEFS", R"({"params":["FREN","","","","evet",false,false,false,null]})", 400,
         "parameter 4 (_kampanya): expected a boolean"},
        {"SepetHepsiniSil", R"({"params":[{"type":"baglantiu.TTusSonuclari","id":1,"fields":{}}]})", 400,
         "expected an object of type baglantiu.TSonucBilgisi"},
        {"SepetHepsiniSil", R"({"params":[{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":"x"}}]})",
         400, "FCARINO"},
        {"SepetHepsiniSil", R"({"params":[7]})", 400, "expected an object"},
        {"YokBoyleBirMetot", R"({"params":[]})", 404, "Bilinmeyen metot: TServerMethods1.YokBoyleBirMetot"},
        {"BuyukGetir", std::string(R"({"params":[")") + std::string(100000, '\'') + "\"]}", 200, nullptr},
        {"BuyukGetir", R"({"params":["x' OR '1'='1"]})", 200, nullptr},
    };
    HttpClient http;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.body.substr(0, 80));
        const HttpResult r = http.post(call(c.method), c.body, {"Content-Type: application/json"});
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, c.status) << r.body;
        if (c.mentions) {
            EXPECT_NE(errorOf(r.body).find(c.mentions), std::string::npos) << errorOf(r.body);
        }
    }
    // SQL metacharacters are data: the injected machine id finds nobody.
    const HttpResult inj = http.post(call("BuyukGetir"), R"({"params":["x' OR '1'='1"]})");
    EXPECT_NE(inj.body.find("\"FVarmi\":false"), std::string::npos) << inj.body;
    // Still serving, and the demo data is intact.
    const HttpResult ok = http.post(call("BuyukGetir"), R"({"params":["RPC-PC"]})");
    EXPECT_EQ(ok.status, 200);
    EXPECT_NE(ok.body.find("\"FADI\":\"BAYI\""), std::string::npos) << ok.body;
}

TEST_F(RpcTest, HugeBodyIsRefusedBeforeItIsRead)
{
    HttpClient http;
    const std::string huge = R"({"params":[")" + std::string(20 * 1024 * 1024, 'A') + "\"]}";
    const HttpResult r = http.post(call("BuyukGetir"), huge);
    EXPECT_EQ(r.status, 413) << r.curlError;
    const HttpResult ok = http.post(call("BuyukGetir"), R"({"params":["RPC-PC"]})");
    EXPECT_EQ(ok.status, 200);
}
