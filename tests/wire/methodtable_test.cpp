#include "generated/methodtable_gen.h"

#include <gtest/gtest.h>

using namespace tarsel::wire;

TEST(MethodTable, PositionsFollowTheDeclaration)
{
    const MethodDecl &resim = kMethods[FindMethod("ResimVer5")];
    ASSERT_EQ(resim.paramCount, 2u);
    EXPECT_STREQ(resim.params[0].name, "stokno");
    EXPECT_FALSE(resim.params[0].out);
    EXPECT_STREQ(resim.params[1].name, "boy");
    EXPECT_TRUE(resim.params[1].out);
    EXPECT_EQ(resim.params[1].type, WireType::Int64);
    EXPECT_EQ(resim.resultPosition(), 2u);
    EXPECT_EQ(resim.result, WireType::Stream);

    const MethodDecl &ara = kMethods[FindMethod("StokAraGetirEFS")];
    EXPECT_EQ(ara.resultPosition(), 9u);
    EXPECT_EQ(ara.params[8].type, WireType::Object);
    EXPECT_STREQ(ara.params[8].objectType, "TSonucBilgisi");
    EXPECT_EQ(ara.result, WireType::Packet);

    const MethodDecl &belge = kMethods[FindMethod("BelgeIndir")];
    EXPECT_TRUE(belge.params[1].out);
    EXPECT_TRUE(belge.params[2].out);
    EXPECT_EQ(belge.params[2].type, WireType::Text);

    EXPECT_FALSE(kMethods[FindMethod("SepetSecimGuncelle")].hasResult());
    EXPECT_EQ(kMethods[FindMethod("MailGonserCariNormal")].paramCount, 17u);
    EXPECT_EQ(FindMethod("YokBoyleMetot"), -1);
    EXPECT_EQ(FindMethod("buyukgetir"), -1);  // names are exact
}
