#pragma once

#include <QString>

// The maker's addresses and notices as the About box and the Help menu show and use them.
// They are configuration: the settings profile's "Maker" group may override each value;
// a value that is absent or blank keeps the built-in default.
//
//   [Maker]
//   WebAddress=https://www.morvexal.com
//   MailAddress=service@morvexal.com
//   Telephone=400-860-2718
//   Copyright=版权所有 (C) 2026 Morvexal
class CMakerInfo {
public:
    // Reads the values from the program's settings profile.
    static CMakerInfo Load();

    QString m_strWebAddress; // a full URL
    QString m_strMailAddress;
    QString m_strTelephone;
    QString m_strCopyright; // the ownership notice, with its year

    static const char* const kDefaultWebAddress;
    static const char* const kDefaultMailAddress;
    static const char* const kDefaultTelephone;
    static const char* const kDefaultCopyright;
};
