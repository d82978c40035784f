#pragma once
#include "editors/GridEditor.h"

class QButtonGroup;
class QProgressBar;

// Form2: the article table in the grid, sorted four ways, edited, deleted from, searched, and sent row by row
// to the corrections sheet. Each row stays tied to its article, whatever the sorts and deletions do.
class ArticleEditor : public GridEditor
{
    Q_OBJECT
public:
    ArticleEditor(Site& site, QWidget* parent = nullptr);

    // Fills the grid and selects Option1, which sorts by description.
    void open();

protected:
    std::optional<QStringList> dropDownEntries(int row, int column) override;
    bool editableByInput(int) const override { return true; }
    void cellChanged(int row, int column) override;
    bool confirm() override;

private:
    // The grid from the table's order, without the rows deleted here and with the edits made here.
    void PreencheGrelhaArtigos();
    void sort(int option);
    void Apagarlinha();
    void LocalizarCodArtigo();
    void ColocarExcepcao();

    QButtonGroup* m_options;
    QProgressBar* m_progressBar1;
    QSet<quint64> m_removed;
};
