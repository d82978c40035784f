#pragma once
#include <QString>

// One accounting family of TabContas.
struct ContaContabilistica
{
    QString Conta;
    QString DesConta;
    QString ContaContab;
};
