#pragma once
#include "values/CellValue.h"

// One barcode entry of TabCodBarras: the unit that one scan of CodBarras counts for CodArtigo.
struct CodigoBarras
{
    CellValue CodArtigo;
    CellValue Unidade;
    CellValue CodBarras;
};
