#pragma once
#include "editors/GridModel.h"

#include <QPersistentModelIndex>
#include <QSet>
#include <QWidget>

#include <optional>

class QBoxLayout;
class QComboBox;
class QMenu;
class QPushButton;
class QTableView;
class Site;

// What the two editors share: the grid GR over its model, the drop-down Combo1 placed over the cell being
// edited, the input box on a double click, the pop-up menu MeuMenu, "Cancelar" and "Confirmar alterações", and
// the question before unconfirmed changes are dropped by closing the window.
class GridEditor : public QWidget
{
    Q_OBJECT
public:
    // widths in twips (15 to the pixel); 0 hides a column, -1 keeps the default.
    GridEditor(
        Site& site, const char* name, const QStringList& headers, const QList<int>& widths, QWidget* parent = nullptr);

    GridModel& model() { return *m_model; }
    QTableView& grid() { return *m_gr; }
    // Whether the user changed something the window has not confirmed.
    bool hasChanges() const { return m_changed; }

protected:
    // The entries of the drop-down of a cell; nullopt for a column without one.
    virtual std::optional<QStringList> dropDownEntries(int row, int column) = 0;
    virtual bool editableByInput(int column) const = 0;
    // Runs when the user left a cell whose text they changed.
    virtual void cellChanged(int /*row*/, int /*column*/) { }
    // Writes the rows back; true when the window may close.
    virtual bool confirm() = 0;
    virtual void cancel() { }

    Site& site() { return m_site; }
    QMenu& meuMenu() { return *m_meuMenu; }
    // Where an editor adds its own controls, above the buttons.
    QBoxLayout& controls() { return *m_controls; }
    int currentRow() const;
    void setChanged() { m_changed = true; }
    // Leaves the current cell, as a click elsewhere would: a pending drop-down choice is written.
    void leaveCurrentCell();
    void closeEvent(QCloseEvent* event) override;

private:
    void enter(const QModelIndex& index);
    void leave(const QModelIndex& index);
    void showDropDown(const QModelIndex& index);
    void askValue(const QModelIndex& index);

    Site& m_site;
    GridModel* m_model;
    QTableView* m_gr;
    QComboBox* m_combo1;
    QMenu* m_meuMenu;
    QBoxLayout* m_controls;
    QPersistentModelIndex m_entered;
    QString m_enteredText;
    bool m_changed = false;
    bool m_dropping = false; // "Cancelar": closing drops the changes without asking
};
