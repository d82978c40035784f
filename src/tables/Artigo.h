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
    // The source that last wrote the article (Origin); never stored in the workbook.
    qint32 Origem = 0;
    // Set when the reception import created the article; never stored in the workbook.
    bool ArtigoNovo = false;
    // Names the record while the program runs, whatever slot it moves to, so an editor's row finds it again; 0 for
    // a slot never filled. Never stored.
    quint64 recordId = 0;
};

// The codes of Artigo::Origem.
namespace Origin {
constexpr qint32 Reception = 1;
constexpr qint32 Correction = 2;
constexpr qint32 Loaded = 3;
// A "FALTA PREENCHER" article the raw import made for an unknown code.
constexpr qint32 Placeholder = 4;
constexpr qint32 RefreshedByRawImport = 5;
} // namespace Origin
