#include "app/EditionConfig.h"

const char* const kChinesePageTemplate =
    "\t\t\t<table width='90%' border='0' cellspacing='0' cellpadding='0' align='center'>\t\n"
    "  <tr> \n"
    "    <td>&nbsp;</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td><b>{{标题}}</b></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='12'></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='9'>{{部门}}</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='12'></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='12'>文号：{{文号}}  &nbsp;&nbsp;&nbsp;    发布日期：{{时间}}</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='40'></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td>{{内容}}</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td><br><br><br>&nbsp;</td>\n"
    "  </tr>\n"
    "</table>\n";

const char* const kEnglishPageTemplate =
    "\t\t\t<table width='90%' border='0' cellspacing='0' cellpadding='0' align='center'>\t\n"
    "  <tr> \n"
    "    <td>&nbsp;</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td><b>{{标题}}</b></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='12'></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='9'>{{部门}}</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='12'></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='12'> Promulgated date: {{时间}}  &nbsp;&nbsp;&nbsp;  {{文号}} </td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td height='40'></td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td>{{内容}}</td>\n"
    "  </tr>\n"
    "  <tr> \n"
    "    <td><br><br><br>&nbsp;</td>\n"
    "  </tr>\n"
    "</table>\n";

CEditionConfig::CEditionConfig()
    : m_editions{CEditionInfo("Tolvarin（中文）", "dorntree", "dornlawas", "dornlaws",
                              "/demolaws/lawtrees.asp", "/demolaws/law.asp",
                              "/demolaws/lawas.asp", kChinesePageTemplate),
                 CEditionInfo("Tolvarin（英文）", "en_dorntree", "en_dornlawas", "en_dornlaws",
                              "/demolaws/en_lawtrees.asp", "/demolaws/en_law.asp",
                              "/demolaws/en_lawas.asp", kEnglishPageTemplate)} {}

CEditionConfig theEditionConfig;
CEditionConfig theUpdateEditionConfig;
