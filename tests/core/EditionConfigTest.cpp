#include "ground/EditionConfig.h"
#include "ground/GbkCodec.h"

#include <gtest/gtest.h>

TEST(EditionConfig, PageTemplatesAreExact) {
    CGbkCodec gbk;
    EXPECT_EQ(gbk.FromUtf8(kChinesePageTemplate).size(), 531u);
    EXPECT_EQ(gbk.FromUtf8(kEnglishPageTemplate).size(), 533u);
    const std::string zh = kChinesePageTemplate;
    EXPECT_EQ(zh.find("\t\t\t<table width='90%' border='0' cellspacing='0' cellpadding='0' "
                      "align='center'>\t\n  <tr> \n    <td>&nbsp;</td>\n  </tr>\n"),
              0u);
    EXPECT_NE(zh.find("    <td height='12'>文号：{{文号}}  &nbsp;&nbsp;&nbsp;    发布日期：{{时间}}</td>\n"),
              std::string::npos);
    EXPECT_EQ(zh.substr(zh.size() - 9), "</table>\n");
    EXPECT_EQ(zh.find('\r'), std::string::npos);
    EXPECT_NE(std::string(kEnglishPageTemplate)
                  .find("<td height='12'> Promulgated date: {{时间}}  &nbsp;&nbsp;&nbsp;  {{文号}} </td>"),
              std::string::npos);
}

TEST(EditionConfig, EachEditionKeepsItsOwnState) {
    CEditionConfig config;
    EXPECT_EQ(config.GetEdition(), 0);
    EXPECT_STREQ(config.GetCaption(), "Tolvarin（中文）");
    config.SetCurTreeId(33554432);
    config.GetSearchWords().push_back("合同");
    config.SetEdition(1);
    EXPECT_STREQ(config.GetLawTable(), "en_dornlaws");
    EXPECT_STREQ(config.GetLinkUrl(), "/demolaws/en_lawas.asp");
    EXPECT_EQ(config.GetCurTreeId(), 0);
    EXPECT_TRUE(config.GetSearchWords().empty());
    config.SetCurLawId(9);
    config.SetEdition(0);
    EXPECT_EQ(config.GetCurTreeId(), 33554432);
    EXPECT_EQ(config.GetCurLawId(), 0);
    EXPECT_EQ(config.GetSearchWords().size(), 1u);
    EXPECT_STREQ(config.GetTreeUrl(), "/demolaws/lawtrees.asp");
}
