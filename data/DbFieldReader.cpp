#include "data/DbFieldReader.h"

#include "data/JetSql.h"
#include "data/RecordsetHandle.h"
#include "ground/MessageService.h"
#include "ground/TextUtil.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <sqlite3.h>

namespace {

enum class FieldType { Integer, Date, Text, Other };

constexpr signed char kByValue = 4; // no declared type: the value's own type decides

// The reading of a declared column type; kByValue when the column has none.
signed char DeclaredType(sqlite3_stmt* stmt, int column) {
    const char* decl = sqlite3_column_decltype(stmt, column);
    if (!decl)
        return kByValue;
    const std::string t = AsciiLower(decl);
    if (t.find("date") != std::string::npos || t.find("time") != std::string::npos)
        return static_cast<signed char>(FieldType::Date);
    if (t == "smallint" || t == "tinyint" || t == "bit" || t == "boolean" || t == "byte" ||
        t == "yesno")
        return static_cast<signed char>(FieldType::Other);
    if (t.find("int") != std::string::npos || t == "long" || t == "counter" ||
        t == "autoincrement" || t == "decimal" || t == "numeric")
        return static_cast<signed char>(FieldType::Integer);
    if (t.find("char") != std::string::npos || t.find("text") != std::string::npos ||
        t.find("clob") != std::string::npos || t == "memo")
        return static_cast<signed char>(FieldType::Text);
    return static_cast<signed char>(FieldType::Other);
}

// The declared type is the same on every row, so it is worked out once per column.
FieldType TypeOf(CRecordsetHandle& handle, int column) {
    sqlite3_stmt* stmt = handle.m_pStmt;
    if (handle.m_arrFieldTypes.size() != handle.m_arrColumns.size())
        handle.m_arrFieldTypes.assign(handle.m_arrColumns.size(), -1);
    signed char& known = handle.m_arrFieldTypes[static_cast<size_t>(column)];
    if (known < 0)
        known = DeclaredType(stmt, column);
    if (known != kByValue)
        return static_cast<FieldType>(known);
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return FieldType::Integer;
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        return FieldType::Text;
    default:
        return FieldType::Other;
    }
}

std::string_view ColumnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    return text ? std::string_view(text, static_cast<size_t>(size)) : std::string_view();
}

// A value that is not NULL and still gives no text could not be read (a long text on a
// damaged page, no memory): the recordset records it as a failed read.
bool ValueLost(CRecordsetHandle& handle, int column, std::string_view text) {
    if (text.data() || sqlite3_column_type(handle.m_pStmt, column) == SQLITE_NULL)
        return false;
    const int code = sqlite3_errcode(handle.m_pDb) & 0xff;
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE)
        return false;
    if (handle.m_nError == 0) {
        handle.m_nError = code;
        handle.m_strError = sqlite3_errmsg(handle.m_pDb);
    }
    return true;
}

void ShowFieldError() {
    ShowMessage("字段访问发生错误，请确认数据库结构没有改动。", "字段访问", MsgIcon::Information);
}

} // namespace

int CDbFieldReader::CheckRow() {
    if (!m_pRecordset || !m_pRecordset->m_pStmt) {
        ShowMessage("无法读取数据库资料，可能数据库连接已经断开，请重新连接、然后重试。",
                    "连接问题", MsgIcon::Information);
        return 0;
    }
    return m_pRecordset->m_bEOF ? 0 : 1;
}

int CDbFieldReader::Column(const char* field) {
    const int column = m_pRecordset->FindColumn(field);
    if (column < 0)
        ShowFieldError();
    return column;
}

int CDbFieldReader::GetText(std::string& out, const char* field, int limit) {
    out.clear();
    if (!CheckRow())
        return 0;
    const int column = Column(field);
    if (column < 0)
        return 0;
    sqlite3_stmt* stmt = m_pRecordset->m_pStmt;
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return 1;
    switch (TypeOf(*m_pRecordset, column)) {
    case FieldType::Integer: {
        const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
        out = std::to_string(static_cast<int>(v));
        break;
    }
    case FieldType::Date: {
        const std::string_view raw = ColumnText(stmt, column);
        std::string canonical;
        // A stored date is already in the canonical form, which reads as it is.
        const std::string_view text =
            IsCanonicalDate(raw) || !CJetSql::CanonicalDate(raw, canonical)
                ? raw
                : std::string_view(canonical);
        out.assign(limit > 0 ? Utf8Prefix(text, static_cast<size_t>(limit)) : text);
        break;
    }
    case FieldType::Text: {
        const std::string_view text = ColumnText(stmt, column);
        if (ValueLost(*m_pRecordset, column, text))
            return 0;
        out.assign(limit > 0 ? Utf8Prefix(text, static_cast<size_t>(limit)) : text);
        break;
    }
    case FieldType::Other:
        break;
    }
    return 1;
}

// "%Y-%m-%d %H:%M:%S" digit for digit: the canonical reading of such a text is the text
// itself (or, for an impossible date, the text unchanged all the same).
bool CDbFieldReader::IsCanonicalDate(std::string_view text) {
    static constexpr char kShape[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof kShape - 1)
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                             : text[i] != kShape[i])
            return false;
    return true;
}

std::string CDbFieldReader::DateText(std::string_view raw) {
    std::string canonical;
    if (IsCanonicalDate(raw) || !CJetSql::CanonicalDate(raw, canonical))
        return std::string(raw);
    return canonical;
}

int CDbFieldReader::GetInt(int& out, const char* field) {
    if (!CheckRow())
        return 0;
    const int column = Column(field);
    if (column < 0)
        return 0;
    sqlite3_stmt* stmt = m_pRecordset->m_pStmt;
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        out = 0;
        return 1;
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
        if (v < INT_MIN || v > INT_MAX)
            break;
        out = static_cast<int>(v);
        return 1;
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, column);
        if (!(v >= INT_MIN && v <= INT_MAX))
            break;
        out = static_cast<int>(std::lround(v));
        return 1;
    }
    default: {
        std::string_view text = ColumnText(stmt, column);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
            text.remove_prefix(1);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.remove_suffix(1);
        int v = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec != std::errc() || end != text.data() + text.size() || text.empty())
            break;
        out = v;
        return 1;
    }
    }
    ShowFieldError();
    return 0;
}

int CDbFieldReader::GetMemo(std::string& out, const char* field) {
    if (!m_pRecordset || !m_pRecordset->m_pStmt)
        return 0;
    const int column = Column(field);
    if (column < 0)
        return 0;
    if (m_pRecordset->m_bEOF)
        return 0;
    const std::string_view text = ColumnText(m_pRecordset->m_pStmt, column);
    if (ValueLost(*m_pRecordset, column, text))
        return 0;
    if (text.empty())
        return 0;
    out.assign(text);
    return 1;
}
