#pragma once
#include <QString>

// One article of TabArtigos.
struct Artigo
{
    QString DescArtigo;
    QString CodArtigo;
    QString CodFamContabilista;
    QString DescFamiliaContabilista;
    double DataRecepcao = 0.0;
    double PrecoCompraUnitario = 0.0;
    QString UnidadeDeCompra;
    QString UnidadeDeStock;
    double ConversaoCompraStock = 0.0;
    double DataUltimaImportacao = 0.0;
    qint32 Posicao = 0;
    // Code of the source that last wrote the article; never stored in the workbook.
    qint32 Origem = 0;
    // Set when the reception import created the article; never stored in the workbook.
    bool ArtigoNovo = false;
};
