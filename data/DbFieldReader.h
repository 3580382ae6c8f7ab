#pragma once

#include <memory>
#include <string>
#include <string_view>

class CRecordsetHandle;
class CDbConnection;

// Reads one field of the current row and converts it to text or an integer.
class CDbFieldReader {
public:
    CDbFieldReader() = default;
    virtual ~CDbFieldReader() = default;

    void Bind(CRecordsetHandle* recordset, CDbConnection* connection) {
        m_pRecordset = recordset;
        m_pConnection = connection;
    }

    // The field as text; `limit` above 0 keeps at most that many bytes (never half a
    // character). 1 on success, 0 at the end of rows or on a failure.
    int GetText(std::string& out, const char* field, int limit);
    int GetInt(int& out, const char* field);
    // The whole long text; 0 and `out` unchanged when it is empty.
    int GetMemo(std::string& out, const char* field);

    // The form dates are stored in: "yyyy-mm-dd hh:mm:ss".
    static bool IsCanonicalDate(std::string_view text);
    // A date field's stored text as GetText gives it: the canonical form where it reads as
    // a date, else as stored.
    static std::string DateText(std::string_view raw);

private:
    // Column index for a field, or -1 after showing the field-access box.
    int Column(const char* field);
    // 1 when a row is at hand; shows the connection box when no recordset is open.
    int CheckRow();

    CRecordsetHandle* m_pRecordset = nullptr;
    CDbConnection* m_pConnection = nullptr;
};
