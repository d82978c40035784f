#include "terminal/TerminalSession.h"

#include "platform/AtomicFile.h"
#include "platform/BusyPointer.h"
#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "platform/UserInteraction.h"
#include "tables/ArticleSorts.h"
#include "terminal/RawImport.h"
#include "terminal/RioCom.h"
#include "terminal/TerminalLists.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kPutInCradle = QStringLiteral("Por favor coloque terminal no suporte!");

} // namespace

TerminalSession::TerminalSession(RioCom& rioCom, InventoryTables& tables, DataControl& data1,
    const SettingsStore& settings, UserInteraction& ui, const Clock& clock)
    : m_rioCom(rioCom)
    , m_tables(tables)
    , m_data1(data1)
    , m_settings(settings)
    , m_ui(ui)
    , m_clock(clock)
{
}

QString TerminalSession::rawFilePath()
{
    return SitePaths::resolve(QStringLiteral("c:\\Tarvik.raw"));
}

QString TerminalSession::portText() const
{
    return (m_port < 0 ? QString() : QStringLiteral(" ")) + QString::number(m_port);
}

bool TerminalSession::poll()
{
    if (m_rioCom.I_CheckTerminal(m_TerminalBuffer) != 0) {
        if (m_TerminalNoSuporte)
            return false;
        m_TerminalNoSuporte = true;
        m_ui.setStatus(UserInteraction::Status::Panel2, QStringLiteral("Port Open (%1) ON").arg(portText()));
        return Conversions::trimBlanks(m_settings.value(SettingsKeys::AutoDescarrega)) == u"1";
    }
    m_ui.setStatus(UserInteraction::Status::Panel2, QStringLiteral("Port Open (%1) OFF").arg(portText()));
    m_TerminalNoSuporte = false;
    return false;
}

CommandResult TerminalSession::collect()
{
    BusyPointer busy(m_ui);
    return ReceberDados();
}

CommandResult TerminalSession::ReceberDados()
{
    if (!m_TerminalNoSuporte)
        return CommandResult::failed(kPutInCradle);
    m_ui.setStatus(UserInteraction::Status::Label1, QStringLiteral("A receber dados do terminal..."));
    m_ui.processEvents();
    QByteArray entryTemplate = RioCom::entryTemplate();
    quintptr address = 0;
    const qint32 count = m_rioCom.I_ReadEntries(m_TerminalBuffer, entryTemplate, 1, &address);
    m_ui.setBusy(UserInteraction::Window::Main, false);
    const CommandResult result = [&] {
        if (count == -1)
            return CommandResult::failed(QStringLiteral("Erro de comunicação!"));
        if (count == -2)
            return CommandResult::failed(kPutInCradle);
        if (count <= 0)
            return CommandResult::nothingToDo();
        return importEntries(count, address);
    }();
    m_ui.setStatus(UserInteraction::Status::Label1, QString());
    return result;
}

CommandResult TerminalSession::importEntries(qint32 count, quintptr address)
{
    QByteArray entries(count, ' ');
    m_rioCom.GetStringFromPtr(entries, address, count);
    // The file is complete before the import, and the terminal is cleared only after the import and its
    // saves succeeded: a failure leaves the entries in both places to import again.
    const QString path = rawFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!AtomicFile::replace(path, entries + "\r\n", &error))
        return CommandResult::failed(error + QStringLiteral(" As leituras ficam no terminal."));
    if (!RawImport(m_tables, m_data1, m_ui, m_clock).run(Windows1252::decode(entries), &error))
        return CommandResult::failed(error + QStringLiteral(" As leituras ficam no terminal e em %1.").arg(path));
    m_rioCom.I_ClearAllEntries(m_TerminalBuffer);
    return CommandResult::done();
}

CommandResult TerminalSession::EnviarDados()
{
    if (!m_TerminalNoSuporte)
        return CommandResult::failed(kPutInCradle);
    m_ui.setStatus(UserInteraction::Status::Label1, QStringLiteral("A enviar dados para o terminal..."));
    m_ui.processEvents();
    if (m_timerControl)
        m_timerControl(false);
    {
        BusyPointer busy(m_ui);
        m_ui.setStatus(UserInteraction::Status::Panel1, QStringLiteral("0%"));
        ArticleSorts(m_tables, m_ui).OrdenarArtigos();
        const TerminalLists lists(m_tables, m_settings, m_ui);
        const auto send = [&](const char* name, QByteArray list) {
            QByteArray listName(name);
            m_rioCom.I_SendList(m_TerminalBuffer, listName, list, qint32(list.size()), 1);
        };
        send("ListCodFamilias", lists.ListaFamilias());
        m_ui.setStatus(UserInteraction::Status::Panel1, QStringLiteral("25%"));
        send("ListCodBarras", lists.ListaCodBarras());
        m_ui.setStatus(UserInteraction::Status::Panel1, QStringLiteral("50%"));
        send("ListCodArtigos", lists.ListaArtigos());
        m_ui.setStatus(UserInteraction::Status::Panel1, QStringLiteral("75%"));
        send("ListUnidades", lists.ListaUnidades());
        m_ui.setStatus(UserInteraction::Status::Label1, QString());
        m_ui.setStatus(UserInteraction::Status::Panel1, QString());
    }
    if (m_timerControl)
        m_timerControl(true);
    return CommandResult::done();
}

CommandResult TerminalSession::ImpRaw()
{
    if (!m_ui.askYesNo(QStringLiteral("Tem a certeza"), QStringLiteral("Tarvik")))
        return CommandResult::cancelled();
    QString error;
    if (!RawImport(m_tables, m_data1, m_ui, m_clock).runFile(rawFilePath(), &error))
        return CommandResult::failed(error);
    return CommandResult::done();
}
