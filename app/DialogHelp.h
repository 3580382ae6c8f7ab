#pragma once

#include <QObject>
#include <QString>

// F1 in one of the program's dialogs opens the manual at that dialog's page (in the main
// window F1 opens the manual's contents). Watches the application's key presses while the
// window lives.
class CDialogHelp final : public QObject {
    Q_OBJECT
public:
    explicit CDialogHelp(QObject* parent);
    ~CDialogHelp() override;

    // The manual's page of a dialog class ("index.html" for one without a page of its own).
    static QString PageOf(const QString& className);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
