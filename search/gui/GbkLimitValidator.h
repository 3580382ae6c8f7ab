#pragma once

#include <QValidator>

// Limits an edit field to a number of bytes of the program's multibyte text, a Chinese
// character counting two. Typing beyond the limit is refused; a paste is cut to what fits.
class CGbkLimitValidator : public QValidator {
public:
    CGbkLimitValidator(int maxBytes, QObject* parent);

    State validate(QString& input, int& pos) const override;

    int GetMaxBytes() const { return m_nMaxBytes; }
    // Bytes the text takes in the multibyte encoding.
    static int ByteCount(const QString& text);

private:
    int m_nMaxBytes;
};
