#include "display/gui/PageDocument.h"

#include "display/gui/LocalDocument.h"
#include "display/gui/LocalImageHandler.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>

QTextDocument* CPageDocument::Build(const QString& html, const QFont& font, const QString& title) {
    auto* doc = new CLocalDocument;
    doc->setUndoRedoEnabled(false);
    // Images are drawn from the program's own resources only, from the first layout on.
    doc->documentLayout()->registerHandler(QTextFormat::ImageObject, new CLocalImageHandler(doc));
    doc->setDefaultFont(font);
    doc->setHtml(html);
    SplitLines(doc);
    doc->setMetaInformation(QTextDocument::DocumentTitle, title);
    return doc;
}

void CPageDocument::SplitLines(QTextDocument* doc) {
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const int base = block.position();
        for (qsizetype i = text.size() - 1; i >= 0; --i) {
            if (text[i] != QChar::LineSeparator)
                continue;
            cursor.setPosition(base + static_cast<int>(i));
            cursor.setPosition(base + static_cast<int>(i) + 1, QTextCursor::KeepAnchor);
            const QTextCharFormat format = cursor.charFormat();
            cursor.removeSelectedText();
            cursor.insertBlock(block.blockFormat(), format);
        }
    }
    cursor.endEditBlock();
}
