#pragma once
#include "editors/GridEditor.h"

struct Leitura;

// Form5: the readings with their article's description, a price and a value, sorted by description; the user
// corrects them, inserts a reading by article code, deletes readings and clears doubtful marks.
class ReadingsEditor : public GridEditor
{
    Q_OBJECT
public:
    ReadingsEditor(Site& site, QWidget* parent = nullptr);

    void open();

protected:
    std::optional<QStringList> dropDownEntries(int row, int column) override;
    bool editableByInput(int column) const override;
    bool confirm() override;
    void cancel() override;

private:
    // The rows sorted by the description of their article, a stable sort.
    void PreencheGrelhaLeituras(std::vector<GridModel::Row> rows);
    GridModel::Row rowOf(const Leitura& l);
    void ApagarLinha();
    void Inserirlinha();
    void DesmarcarLeitura();

    QSet<quint64> m_removed;
};
