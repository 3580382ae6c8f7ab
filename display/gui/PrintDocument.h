#pragma once

#include "display/gui/LocalDocument.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>

#include <functional>
#include <memory>
#include <string>
#include <utility>

class QFont;
class QPagedPaintDevice;
class QPainter;

// A law page laid out for paper, made off screen from the whole page, however long. The page
// is parsed a part at a time (the parts the law pane shows), so the parser never holds more
// than one part beside the document, and the document is laid out for the paper before
// anything is painted, so that painting a page costs only that page. Building runs on any
// thread (a worker's document is handed over with moveToThread); painting runs on the thread
// of the painter.
class CPrintDocument : public CLocalDocument {
    Q_OBJECT
public:
    // What the layout needs of the paper: its resolution and the page in device pixels.
    struct CPaper {
        int m_nDpiX = 0;
        int m_nDpiY = 0;
        QSizeF m_page;
        bool operator==(const CPaper&) const = default;
        // The paper of a printer; one without margins gets 2 mm, as Qt's own printing gives it.
        // On the printer's thread.
        static CPaper Of(QPagedPaintDevice* printer);
    };
    // Told (steps done, steps in all) while a document is made; answers false to stop.
    using Progress = std::function<bool(int done, int total)>;

    // The page parsed in parts of this size.
    static constexpr size_t kPartBytes = 2u << 20;

    // The body HTML (as the law pane is given it) made into a document laid out for `paper`;
    // null when `progress` asked to stop.
    static std::unique_ptr<CPrintDocument> Build(const std::string& bodyHtml, const QString& title,
                                                 const QFont& font, const CPaper& paper,
                                                 const Progress& progress = {});

    const CPaper& Paper() const { return m_paper; }
    // Lays the document out for other paper (a preview whose page setup was changed).
    void LayOut(const CPaper& paper);
    int Pages() const;
    // The pages the printer asks for, from 1: its page range, else every page; first > last
    // when the range holds none of the document's pages.
    std::pair<int, int> PageRange(QPagedPaintDevice* printer) const;
    // Paints page `index` (from 1), with its number at the foot, onto a page of the paper.
    void PaintPage(QPainter& painter, int index) const;
    // Prints the pages the printer asks for in one go; false when the printer cannot be opened
    // (the document is laid out again first when the printer's paper is another).
    bool PrintAll(QPagedPaintDevice* printer);

private:
    CPrintDocument();
    bool LayOut(const CPaper& paper, const Progress& progress, int done, int total);

    // The layout's paint device: only its resolution counts.
    QImage m_metrics;
    CPaper m_paper;
    QPointF m_margins;
};
