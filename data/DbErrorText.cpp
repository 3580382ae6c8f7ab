#include "data/DbErrorText.h"

#include <sqlite3.h>

bool CDbErrorText::IsDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string CDbErrorText::Advice(int code) {
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return "数据库文件 db1.mdb 可能已经损坏。请换用一份完好的法规库，或用 tolvarin-admin "
               "重新建立法规库。";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "法规库正被另一个程序使用。请稍后重试。";
    case SQLITE_IOERR:
        return "读写法规库文件时出错，文件所在的磁盘或网络文件夹可能出了问题。请检查后重试。";
    case SQLITE_NOMEM:
        return "内存不足。请关闭一些程序后重试。";
    case SQLITE_FULL:
        return "磁盘已满。请腾出空间后重试。";
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return "无法访问法规库文件。请确认文件还在、本程序有权读写它，然后重试。";
    case SQLITE_INTERRUPT:
        return "操作被中断。请重试。";
    case SQLITE_SCHEMA:
        return "法规库的结构刚被改动。请重试。";
    case SQLITE_ERROR:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        return "数据库无法执行这次查询。请减少或缩短查询条件后重试；如果问题依旧，请重新打开法规库"
               "。";
    default:
        return "请重试；如果问题依旧，请重新打开法规库。";
    }
}

std::string CDbErrorText::Compose(const std::string& what, int code,
                                  const std::string& engineText) {
    return what + "\n" + Advice(code) + "\n\n详细信息：" +
           (engineText.empty() ? std::string("（没有）") : engineText);
}
