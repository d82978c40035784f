#pragma once
#include <QHash>
#include <QString>

// The grid columns of the two editors.
namespace ArticleColumn {
enum
{
    CodArtigo = 0,
    DescArtigo = 1,
    Unused = 2,
    CodFamContabilista = 3,
    DescFamiliaContabilista = 4,
    UnidadeDeCompra = 5,
    UnidadeDeStock = 6,
    ConversaoCompraStock = 7,
    PrecoCompraUnitario = 8,
    Count = 9,
};
}
namespace ReadingColumn {
enum
{
    CodArtigo = 0,
    DescArtigo = 1,
    CentroCusto = 2,
    FamiliaContabilista = 3,
    QtEmUnidadeInventario = 4,
    Unidade = 5,
    Preco = 6,
    Valor = 7,
    Count = 8,
};
}

// An editor's row as it stands when the user confirms: the record it was filled from (0 for a row the user
// added), the cells the user changed by column, and for a reading whether its doubtful mark was cleared.
struct RowEdit
{
    quint64 recordId = 0;
    // CodArtigo as the row shows it, to name the row in a message.
    QString code;
    QHash<int, QString> changed;
    // What the changed cells held when the editor was filled (empty for a row the user added).
    QHash<int, QString> original;
    bool unmarked = false;
};
