#pragma once

#include <QColor>
#include <QCursor>
#include <QLabel>

#include <optional>

// A text label that opens its own text with the desktop's default handler when clicked: a web
// address in the browser, "mailto:..." in the mail program. The target is always the text
// shown, so changing the text changes where a click leads. The setters answer the label
// itself so that they can be chained.
class CLinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit CLinkLabel(QWidget* parent = nullptr);
    explicit CLinkLabel(const QString& text, QWidget* parent = nullptr);

    // Whether the label takes clicks; without, a click falls through to the parent.
    CLinkLabel& SetLink(bool bLink);
    CLinkLabel& SetLinkTextColor(const QColor& crText);
    CLinkLabel& SetFontUnderline(bool bUnderline);
    CLinkLabel& SetLinkCursor(const QCursor& cursor);

    bool IsLink() const { return m_bLink; }
    QColor LinkTextColor() const { return m_crText; }

    // The address a click opens: the label's text read as a URL.
    QUrl Target() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyCursor();

    QColor m_crText;
    bool m_bLink = true;
    std::optional<QCursor> m_hCursor;
};
