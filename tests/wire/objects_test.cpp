#include "remote/baglantiu.h"
#include "remote/mobilstokunit.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tarsel;
using objectform::FromJson;
using objectform::ToJson;

namespace {

std::vector<std::string> fieldNames(const std::string &json)
{
    simdjson::dom::parser p;
    auto doc = wire::ParseDocument(p, json);
    std::vector<std::string> names;
    simdjson::dom::object fields = doc["fields"].get_object().value();
    for (auto field : fields) names.emplace_back(field.key);
    return names;
}

TSonucBilgisi fullSession()
{
    TSonucBilgisi s;
    s.setBILGISAYARID("WD-ABC123");
    s.setSaticiMail("satis@tarsel.com.tr");
    s.setSirano(17);
    s.setCariAdi("ÖZKAN OTO YEDEK PARÇA");
    s.setSIFRE("GİZLİ\"şifre\\");
    s.setSaticiNo(3);
    s.setCARINO(1204);
    s.setAKTIF(1);
    s.setKullanicimail("bayi@ornek.com");
    s.setADI("ÖZKAN");
    s.setSaticiTelefon("0212 555 00 00");
    s.setcarikod("120.01.004");
    s.setVarmi(true);
    s.setSaticiAdi("Ayşe Çelik");
    s.setBilgiSayarAdi("MAGAZA-PC");
    s.setDisip("85.105.1.2");
    s.setIcip("192.168.1.20");
    s.setBilgisayarKullanici("kasa");
    s.setMusteriTipi(3);
    s.setVersion(8);
    return s;
}

}  // namespace

TEST(SessionRecord, DefaultsAreTypeOneVersionOne)
{
    const TSonucBilgisi s;
    EXPECT_EQ(s.MusteriTipi(), 1);
    EXPECT_EQ(s.Version(), 1);
    EXPECT_FALSE(s.Varmi());
    EXPECT_EQ(s.CARINO(), 0);
    EXPECT_TRUE(s.ADI().isEmpty());
}

TEST(SessionRecord, DefaultMarshalsTwentyFieldsInDeclaredOrder)
{
    const std::vector<std::string> expected = {
        "FBILGISAYARID", "FSaticiMail",    "FSirano",  "FCariAdi",      "FSIFRE",
        "FSaticiNo",     "FCARINO",        "FAKTIF",   "FKullanicimail", "FADI",
        "FSaticiTelefon", "Fcarikod",      "FVarmi",   "FSaticiAdi",    "FBilgiSayarAdi",
        "FDisip",        "FIcip",          "FBilgisayarKullanici", "FMusteriTipi", "FVersion"};
    const std::string json = ToJson(TSonucBilgisi());
    EXPECT_EQ(fieldNames(json), expected);
    EXPECT_NE(json.find("\"type\":\"baglantiu.TSonucBilgisi\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"id\":1"), std::string::npos) << json;
    EXPECT_NE(json.find("\"FMusteriTipi\":1,\"FVersion\":1"), std::string::npos) << json;
}

TEST(SessionRecord, KopyalaCopiesEveryFieldAndSharesNothing)
{
    const TSonucBilgisi source = fullSession();
    TSonucBilgisi copy;
    copy.Kopyala(source);
    EXPECT_EQ(copy, source);
    copy.setADI("BAŞKA");
    copy.setCARINO(1);
    EXPECT_EQ(source.ADI(), "ÖZKAN");
    EXPECT_EQ(source.CARINO(), 1204);
    auto fresh = CopyOf(source);
    EXPECT_EQ(*fresh, source);
}

TEST(SessionRecord, RoundTripKeepsEveryField)
{
    const TSonucBilgisi s = fullSession();
    EXPECT_EQ(FromJson<TSonucBilgisi>(ToJson(s)), s);
}

TEST(SessionRecord, MissingFieldsKeepDefaultsAndUnknownOnesAreIgnored)
{
    const auto s = FromJson<TSonucBilgisi>(
        R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FADI":"ALİ","FYeniAlan":5}})");
    EXPECT_EQ(s.ADI(), "ALİ");
    EXPECT_EQ(s.MusteriTipi(), 1);
    EXPECT_EQ(s.Version(), 1);
    EXPECT_EQ(s.CARINO(), 0);
}

TEST(SessionRecord, WrongShapesAreRejectedWithTheFieldName)
{
    struct Case {
        const char *json;
        const char *mentions;
    } cases[] = {
        {R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":"12"}})", "FCARINO"},
        {R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FVarmi":1}})", "FVarmi"},
        {R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":4294967296}})", "FCARINO"},
        {R"({"type":"baglantiu.TTusSonuclari","id":1,"fields":{}})", "TSonucBilgisi"},
        {R"({"type":"baglantiu.TSonucBilgisi","id":1})", "fields"},
        {R"([1,2])", "TSonucBilgisi"},
    };
    for (const auto &c : cases) {
        try {
            FromJson<TSonucBilgisi>(c.json);
            ADD_FAILURE() << "accepted " << c.json;
        } catch (const wire::ProtocolError &e) {
            EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
        }
    }
}

TEST(TransferObjects, RoundTripsAndDefaults)
{
    TSiparisDipAyrinti dip;
    dip.setSizinMesaj("Acele lütfen");
    dip.setDurumu("Onaylandı");
    dip.setSaticiNotu("Çarşamba sevk");
    EXPECT_EQ(FromJson<TSiparisDipAyrinti>(ToJson(dip)), dip);
    EXPECT_EQ(fieldNames(ToJson(TSiparisDipAyrinti())).size(), 8u);

    TTusSonuclari tus;
    tus.setAlindi(4);
    tus.setGoruldu(2);
    tus.setParcaliHazirlandi(1);
    EXPECT_EQ(FromJson<TTusSonuclari>(ToJson(tus)), tus);
    EXPECT_EQ(fieldNames(ToJson(tus)),
              (std::vector<std::string>{"FAlindi", "FOnaylandi", "FParcaliHazirlandi", "FSevkEdildi", "FHazirlandi",
                                        "FGoruldu"}));

    TMobilCariBilgisi kart;
    kart.setCARIADI("YILMAZ OTOMOTİV");
    kart.setTLBORC(12500.75);
    kart.setTLALACAK(0.1 + 0.2);
    kart.setTLBAKIYE(-42.5);
    kart.setCARINO(77);
    kart.setILCE("Kadıköy");
    const auto kartBack = FromJson<TMobilCariBilgisi>(ToJson(kart));
    EXPECT_EQ(kartBack, kart);  // reals travel exactly
    const auto names = fieldNames(ToJson(kart));
    ASSERT_EQ(names.size(), 30u);
    EXPECT_EQ(names.front(), "FBILGISAYARID");
    EXPECT_EQ(names[15], "FTLBORC");
    EXPECT_EQ(names.back(), "FILCE");
    EXPECT_NE(ToJson(kart).find("mobilstokunit.TMobilCariBilgisi"), std::string::npos);
}

TEST(TransferObjects, AdvertListKeepsOrderAndNumbersObjects)
{
    TAcilisEkranlariki list;
    std::vector<TAcilisEkran> items;
    for (int i = 1; i <= 3; ++i) {
        TAcilisEkran e;
        e.setSiraNo(i * 10);
        e.setBaslik(QString("Kampanya %1").arg(i));
        e.setResim("89504E47");
        e.setArama("FREN");
        items.push_back(e);
    }
    list.setEkranlar(items);
    const std::string json = ToJson(list);
    const auto back = FromJson<TAcilisEkranlariki>(json);
    ASSERT_EQ(back.Ekranlar().size(), 3u);
    EXPECT_EQ(back.Ekranlar()[2].SiraNo(), 30);
    EXPECT_EQ(back, list);
    // The container and each element carry their own id within the message.
    EXPECT_NE(json.find("\"id\":4"), std::string::npos) << json;

    const auto empty = FromJson<TAcilisEkranlariki>(
        R"({"type":"mobilstokunit.TAcilisEkranlariki","id":1,"fields":{"FEkranlar":[]}})");
    EXPECT_TRUE(empty.Ekranlar().empty());
}

TEST(TransferObjects, NullMeansNoObject)
{
    simdjson::dom::parser p;
    auto doc = wire::ParseDocument(p, "null");
    EXPECT_EQ(objectform::ReadOptionalObject<TSonucBilgisi>(doc), nullptr);
}
