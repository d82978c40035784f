#pragma once
#include <QString>

// One inventory reading of TabLeituras, identified by CodArtigo, FamiliaContabilista, CentroCusto and Unidade.
struct Leitura
{
    QString CodArtigo;
    QString FamiliaContabilista;
    QString ContaContab;
    QString CentroCusto;
    QString Unidade;
    double QtEmUnidadeInventario = 0.0;
    double QtEmUnidadeCompra = 0.0;
    double LeituraDuvidosa = 0.0;
    // Names the record while the program runs, whatever slot it moves to; 0 for a slot never filled. Never stored.
    quint64 recordId = 0;
};
