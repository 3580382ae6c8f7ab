#include "search/gui/GbkLimitValidator.h"

#include "ground/GbkCodec.h"

CGbkLimitValidator::CGbkLimitValidator(int maxBytes, QObject* parent)
    : QValidator(parent), m_nMaxBytes(maxBytes) {}

int CGbkLimitValidator::ByteCount(const QString& text) {
    return static_cast<int>(CGbkCodec::GbkByteCount(text.toUtf8().toStdString()));
}

QValidator::State CGbkLimitValidator::validate(QString& input, int& pos) const {
    if (ByteCount(input) <= m_nMaxBytes)
        return Acceptable;
    // Cut what was just inserted, the characters in front of the cursor, until it fits.
    while (pos > 0 && ByteCount(input) > m_nMaxBytes) {
        int from = pos - 1;
        if (from > 0 && input.at(from).isLowSurrogate() && input.at(from - 1).isHighSurrogate())
            --from;
        input.remove(from, pos - from);
        pos = from;
    }
    return ByteCount(input) <= m_nMaxBytes ? Acceptable : Invalid;
}
