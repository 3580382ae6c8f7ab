#include "ui/MakerInfo.h"

#include <QCoreApplication>
#include <QSettings>

const char* const CMakerInfo::kDefaultWebAddress = "https://www.morvexal.com";
const char* const CMakerInfo::kDefaultMailAddress = "service@morvexal.com";
const char* const CMakerInfo::kDefaultTelephone = "400-860-2718";
const char* const CMakerInfo::kDefaultCopyright =
    QT_TRANSLATE_NOOP("CMakerInfo", "版权所有 (C) 2026 Morvexal");

namespace {

QString Value(QSettings& settings, const char* key, const QString& fallback) {
    const QString value = settings.value(QLatin1String(key)).toString().trimmed();
    return value.isEmpty() ? fallback : value;
}

} // namespace

CMakerInfo CMakerInfo::Load() {
    QSettings settings(QStringLiteral("morvexal"), QStringLiteral("tolvarin"));
    settings.beginGroup(QStringLiteral("Maker"));
    CMakerInfo info;
    info.m_strWebAddress = Value(settings, "WebAddress", QString::fromUtf8(kDefaultWebAddress));
    info.m_strMailAddress = Value(settings, "MailAddress", QString::fromUtf8(kDefaultMailAddress));
    info.m_strTelephone = Value(settings, "Telephone", QString::fromUtf8(kDefaultTelephone));
    info.m_strCopyright =
        Value(settings, "Copyright", QCoreApplication::translate("CMakerInfo", kDefaultCopyright));
    return info;
}
