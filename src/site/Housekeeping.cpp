#include "site/Housekeeping.h"

#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "platform/UserInteraction.h"
#include "site/Site.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "tables/Sheets.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QString kDeleteTitle = QStringLiteral("Apagar artigos");
constexpr qint64 kMsPerDay = 86400000;

// The sign position of a positive number, as the backup names have always been written.
QString withSign(int n)
{
    return u' ' + QString::number(n);
}

} // namespace

Housekeeping::Housekeeping(Site& site)
    : m_tables(site.tables())
    , m_data1(site.data1())
    , m_settings(site.settings())
    , m_ui(site.ui())
    , m_clock(site.clock())
{
}

QString Housekeeping::backupName(const QString& workbookPath, const QDateTime& at)
{
    if (workbookPath.size() < 4)
        return {};
    // The copy keeps the workbook's own extension, three letters (.xls) or four (.xlsx, .xlsm).
    const qsizetype dot = workbookPath.lastIndexOf(u'.');
    const qsizetype extension = dot >= 0 && workbookPath.size() - dot == 5 ? 4 : 3;
    const QDate d = at.date();
    const QTime t = at.time();
    return workbookPath.chopped(extension + 1) + withSign(d.day()) + u'_' + withSign(d.month()) + u'_'
        + withSign(d.year()) + u'_' + withSign(t.hour()) + withSign(t.minute()) + QStringLiteral("_Bak.")
        + workbookPath.right(extension);
}

bool Housekeeping::copyVerified(const QString& from, const QString& to, QString* error) const
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.exists() ? source.errorString() : QStringLiteral("o livro não existe");
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        *error = source.errorString();
        return false;
    }
    QSaveFile copy(to);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.commit()) {
        *error = copy.errorString();
        return false;
    }
    QFile check(to);
    if (!check.open(QIODevice::ReadOnly) || check.readAll() != bytes) {
        *error = QStringLiteral("a cópia não ficou igual ao livro");
        return false;
    }
    return true;
}

bool Housekeeping::blankReadings(QString* error)
{
    m_data1.setDatabaseName(m_settings.value(SettingsKeys::InventariosQel));
    const Sheets::Layout& sheet = Sheets::inventario();
    m_data1.setRecordSource(sheet.source());
    if (!m_data1.Refresh(error))
        return false;
    const QStringList& columns = sheet.headings;
    QString noRows;
    // A sheet without readings has nothing to blank.
    if (m_data1.MoveFirst(&noRows)) {
        for (; !m_data1.Eof(); m_data1.MoveNext()) {
            if (!m_data1.Edit(error))
                return false;
            for (const QString& column : columns) {
                if (!m_data1.setField(column, CellValue(), error))
                    return false;
            }
            if (!m_data1.Update(error))
                return false;
        }
    }
    m_tables.setNLeituras(0);
    return true;
}

CommandResult Housekeeping::LimparFicheiro()
{
    const QString stored = m_settings.value(SettingsKeys::InventariosQel);
    const QString backup = backupName(stored, m_clock.now());
    const QString workbook = SitePaths::resolve(stored);
    QString error;
    if (backup.isEmpty())
        return CommandResult::failed(
            QStringLiteral("Não é possível dar nome à cópia de segurança do livro %1. As leituras não foram apagadas.")
                .arg(stored));
    m_data1.setDatabaseName(QString());
    m_data1.Refresh(&error);
    // The readings are the only record of the count: they go only once the backup is safely on disk.
    if (!copyVerified(workbook, SitePaths::resolve(backup), &error)) {
        m_data1.setDatabaseName(stored);
        return CommandResult::failed(
            QStringLiteral("Não foi possível copiar o livro %1 para %2: %3. As leituras não foram apagadas.")
                .arg(workbook, SitePaths::resolve(backup), error));
    }
    if (!DataCommand(m_tables, m_data1).run([this](QString* e) { return blankReadings(e); }, &error))
        return CommandResult::failed(error
            + QStringLiteral(" As leituras não foram apagadas; a cópia está em %1.").arg(SitePaths::resolve(backup)));
    return CommandResult::done();
}

CommandResult Housekeeping::ApagarArtigosNaoInventariados()
{
    const std::optional<QString> answer = m_ui.askText(
        QStringLiteral("Apagar artigos não movimentados á mais de x dias?"), kDeleteTitle, QStringLiteral("90"));
    if (!answer)
        return CommandResult::cancelled();
    bool whole = false;
    const int days = answer->trimmed().toInt(&whole);
    if (!whole)
        return CommandResult::cancelled();
    if (!m_ui.askYesNo(
            QStringLiteral("Se prosseguir vai apagar todos os artigos com mais de x dias. Deseja prosseguir?"),
            kDeleteTitle))
        return CommandResult::cancelled();
    QString error;
    const bool saved = DataCommand(m_tables, m_data1)
                           .run(
                               [this, days](QString* e) {
                                   deleteArticlesOlderThan(days);
                                   return InventoryWriter(m_data1, m_tables, m_ui).GravarArtigos(e);
                               },
                               &error);
    return saved ? CommandResult::done() : CommandResult::failed(error);
}

void Housekeeping::deleteArticlesOlderThan(int days)
{
    const int count = m_tables.NArtigos();
    int kept = 0;
    for (int slot = 1; slot <= count; ++slot) {
        const double now = Conversions::dayNumberFromDateTime(m_clock.now());
        // Whole milliseconds, so an article imported exactly x days ago is not lost to rounding.
        const qint64 age = qRound64((now - m_tables.artigo(slot).DataUltimaImportacao) * kMsPerDay);
        if (age > qint64(days) * kMsPerDay)
            continue;
        ++kept;
        if (kept != slot)
            m_tables.editArtigo(kept) = m_tables.artigo(slot);
    }
    // A freed slot is cleared: a later add writes into it and would keep the deleted article's other fields.
    for (int slot = kept + 1; slot <= count; ++slot)
        m_tables.editArtigo(slot) = Artigo();
    m_tables.setNArtigos(kept);
}
