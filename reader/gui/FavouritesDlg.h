#pragma once

#include <QDialog>

class CFavourites;
class QPushButton;
class QTableWidget;

// The favourites: title, edition and an editable note per law. Open shows the chosen law,
// Delete removes entries, Export and Import go through a file of the user's choice.
class CFavouritesDlg : public QDialog {
    Q_OBJECT
public:
    CFavouritesDlg(CFavourites& favourites, QWidget* parent = nullptr);

    // Runs the dialog; the index of the favourite to open, or -1.
    int DoModal();
    // Lists the favourites again (after an import).
    void Reload();

    QTableWidget* GetTable() const { return m_pTable; }
    // Opens the selected entry as a double click would.
    void OpenSelected();
    void DeleteSelected();

signals:
    void exportRequested(const QString& file);
    void importRequested(const QString& file);
    void listChanged();

private:
    void UpdateButtons();
    QList<int> SelectedRows() const;

    CFavourites& m_favourites;
    QTableWidget* m_pTable;
    QPushButton* m_pOpen;
    QPushButton* m_pDelete;
    int m_nChosen = -1;
    bool m_bLoading = false;
};
