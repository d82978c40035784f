#include "app/SettingsWindow.h"

#include "platform/SettingsStore.h"
#include "platform/UserInteraction.h"
#include "values/Conversions.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(SettingsStore& settings, UserInteraction& ui, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_settings(settings)
    , m_ui(ui)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Tarvik"));
    auto* layout = new QVBoxLayout(this);
    m_check1 = new QCheckBox(
        QStringLiteral("Automaticamente recolhe os dados sempre que o terminal é colocado no suporte."), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check2 = new QCheckBox(QStringLiteral("Envia descritivos abreviados para o terminal"), this);
    m_check2->setObjectName(QStringLiteral("Check2"));
    layout->addWidget(m_check1);
    layout->addWidget(m_check2);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    const auto addField = [this, form](const QString& objectName, const QString& caption) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(objectName);
        form->addRow(caption, edit);
        return edit;
    };
    m_text1 = addField(QStringLiteral("Text1"), QStringLiteral("Porta Serie"));
    m_text10 = addField(QStringLiteral("Text10"), QStringLiteral("Numero Linhas por pagina"));
    m_text11 = addField(QStringLiteral("Text11"), QStringLiteral("Numero de caracteres por linha"));
    m_text2 = addField(QStringLiteral("Text2"), QStringLiteral("Margem de impressão"));
    m_text6 = addField(QStringLiteral("Text6"), QStringLiteral("Nome do Estabelecimento"));
    m_text7 = addField(QStringLiteral("Text7"), QStringLiteral("Ficheiro de Inventarios"));
    m_text8 = addField(QStringLiteral("Text8"), QStringLiteral("Ficheiro de Relatório"));
    m_text7->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    auto* command1 = new QPushButton(QStringLiteral("Gravar"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    layout->addWidget(command1, 0, Qt::AlignRight);
    connect(command1, &QPushButton::clicked, this, &SettingsWindow::Command1_Click);
}

void SettingsWindow::load()
{
    m_text1->setText(m_settings.value(SettingsKeys::COM));
    m_text6->setText(m_settings.value(SettingsKeys::NomeEstabelecimento));
    m_text7->setText(m_settings.value(SettingsKeys::InventariosQel));
    m_text8->setText(m_settings.value(SettingsKeys::FicheiroDeReportNaJanela));
    m_text10->setText(m_settings.value(SettingsKeys::LinhasPorPagina));
    m_text11->setText(m_settings.value(SettingsKeys::NumerodeCaracteres));
    const auto ticked = [this](const SettingsKeys::Key& key) {
        return Conversions::roundToWhole(Conversions::numericValue(m_settings.value(key))) == 1;
    };
    m_check1->setChecked(ticked(SettingsKeys::AutoDescarrega));
    m_check2->setChecked(ticked(SettingsKeys::AutoAbrevia));
    m_text2->setText(m_settings.value(SettingsKeys::Margem));
    emit portRead(Conversions::roundToWhole(Conversions::numericValue(m_text1->text())));
}

void SettingsWindow::Command1_Click()
{
    // Checked before anything is saved, so a typing slip cannot leave half the settings written. The margin reads
    // back as it was stored (" 10.5") as well as typed ("10,5").
    const std::optional<double> margin = SettingsKeys::fromSignedNumberForm(m_text2->text());
    if (!margin) {
        m_ui.showMessage(QStringLiteral("A margem de impressão tem de ser um número: \"%1\". Nada foi gravado.")
                             .arg(m_text2->text()));
        return;
    }
    using namespace SettingsKeys;
    QString error;
    const bool saved = m_settings.save(
        { { COM, m_text1->text() }, { NomeEstabelecimento, m_text6->text() }, { InventariosQel, m_text7->text() },
            { FicheiroDeReport, m_text8->text() }, { LinhasPorPagina, m_text10->text() },
            { NumerodeCaracteres, m_text11->text() }, { AutoDescarrega, checkBoxForm(m_check1->isChecked()) },
            { AutoAbrevia, checkBoxForm(m_check2->isChecked()) }, { Margem, signedNumberForm(*margin) } },
        &error);
    if (!saved) {
        m_ui.showMessage(error + QStringLiteral(" As configurações ficam como estavam."));
        return;
    }
    close();
}

QString SettingsWindow::numerodeCaracteres() const
{
    return m_text11->text();
}
