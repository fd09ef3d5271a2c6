#include "wire/json.h"

#include <gtest/gtest.h>

using namespace tarsel::wire;

TEST(JsonWriter, StringsReadBackExactlyInBothModes)
{
    const std::string samples[] = {
        "", "düz", "tırnak \" ve \\ ters", "satır\nsonu\ttab\r", std::string("\x01\x1f", 2), "emoji 😀 son",
        "ŞİĞÜÖÇ şığüöç",
    };
    for (bool ascii : {false, true}) {
        for (const auto &s : samples) {
            JsonWriter w(ascii);
            w.beginArray();
            w.string(std::string_view(s));
            w.endArray();
            const std::string json = w.take();
            if (ascii) {
                for (unsigned char ch : json) ASSERT_LT(ch, 0x80) << json;
            }
            simdjson::dom::parser p;
            auto doc = ParseDocument(p, json);
            std::string_view back = doc.at(0).get_string().value();
            EXPECT_EQ(back, s) << json;
        }
    }
}

TEST(JsonWriter, NestingAndSeparators)
{
    JsonWriter w;
    w.beginObject();
    w.key("a");
    w.beginArray();
    w.int64(1);
    w.real(0.1);
    w.null();
    w.boolean(false);
    w.beginObject();
    w.endObject();
    w.endArray();
    w.key("b");
    w.string(std::string_view("x"));
    w.endObject();
    EXPECT_EQ(w.take(), R"({"a":[1,0.1,null,false,{}],"b":"x"})");
}

TEST(JsonWriter, RealsAreShortestAndExactAndNonFiniteRefused)
{
    for (double d : {0.1, 307.8, 1e300, -2.675, 45637.5}) {
        JsonWriter w;
        w.real(d);
        simdjson::dom::parser p;
        EXPECT_EQ(ParseDocument(p, w.str()).get_double().value(), d);
    }
    JsonWriter w;
    EXPECT_THROW(w.real(std::numeric_limits<double>::quiet_NaN()), ProtocolError);
}

TEST(JsonReading, MalformedDocumentIsAProtocolError)
{
    simdjson::dom::parser p;
    EXPECT_THROW(ParseDocument(p, "{\"params\":[1,"), ProtocolError);
    EXPECT_THROW(ParseDocument(p, ""), ProtocolError);
}
