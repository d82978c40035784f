#include "site/Site.h"

#include "platform/SitePaths.h"
#include "platform/UserInteraction.h"
#include "reception/ReceptionImport.h"
#include "report/InventoryReport.h"
#include "site/Housekeeping.h"
#include "site/TerminalProgramFolder.h"
#include "tables/InventoryLoader.h"
#include "terminal/RawImport.h"
#include "terminal/RioCom.h"
#include "terminal/RioComDriver.h"
#include "terminal/TerminalSession.h"
#include "values/Conversions.h"

namespace {

constexpr qint32 kBaudRate = 19200;

} // namespace

Site::Site(UserInteraction& ui, const QString& workbook)
    : m_ui(ui)
    , m_tables(ui, m_clock)
    , m_workbook(workbook.isEmpty() ? m_settings.value(SettingsKeys::InventariosQel) : workbook)
{
    m_data1.setDatabaseName(m_workbook);
    m_rioCom = RioComDriver::create(m_settings, &m_driverError);
    if (m_rioCom)
        m_session = std::make_unique<TerminalSession>(*m_rioCom, m_tables, m_data1, m_settings, m_ui, m_clock);
}

Site::~Site()
{
    shutDown();
}

CommandResult Site::startUp(const QString& programFolder)
{
    TerminalProgramFolder::refresh(programFolder);
    const CommandResult loaded = load();
    return loaded.failed() ? loaded : openPort();
}

CommandResult Site::load()
{
    m_data1.setDatabaseName(m_workbook);
    QString first, second;
    if (!InventoryLoader(m_data1, m_tables, m_ui).loadAll(&first, &second))
        return CommandResult::failed(QStringList { first, second });
    return CommandResult::done();
}

CommandResult Site::openPort()
{
    if (!m_session)
        return CommandResult::failed(m_driverError);
    setPort(Conversions::roundToWhole(Conversions::numericValue(m_settings.value(SettingsKeys::CommPort))));
    m_rioCom->I_OpenCom(m_session->port(), kBaudRate);
    m_portOpen = true;
    return CommandResult::done();
}

void Site::shutDown()
{
    if (m_portOpen)
        m_rioCom->I_CloseCom(m_session->port());
    m_portOpen = false;
}

void Site::setPort(qint32 port)
{
    if (m_session)
        m_session->setPort(port);
}

CommandResult Site::withSession(CommandResult (TerminalSession::*command)())
{
    return m_session ? (m_session.get()->*command)() : CommandResult::failed(m_driverError);
}

CommandResult Site::ReceberDados()
{
    return withSession(&TerminalSession::ReceberDados);
}

CommandResult Site::EnviarDados()
{
    return withSession(&TerminalSession::EnviarDados);
}

CommandResult Site::ImpRaw()
{
    return withSession(&TerminalSession::ImpRaw);
}

CommandResult Site::importRawFile(const QString& path)
{
    QString error;
    if (!RawImport(m_tables, m_data1, m_ui, m_clock).runFile(path, &error))
        return CommandResult::failed(error);
    return CommandResult::done();
}

CommandResult Site::collect()
{
    return withSession(&TerminalSession::collect);
}

CommandResult Site::ImportarFicheiro()
{
    return ReceptionImport(m_tables, m_data1, m_data2, m_ui, m_clock).ImportarFicheiro();
}

CommandResult Site::LimparFicheiro()
{
    return Housekeeping(*this).LimparFicheiro();
}

CommandResult Site::ApagarArtigosNaoInventariados()
{
    return Housekeeping(*this).ApagarArtigosNaoInventariados();
}

CommandResult Site::CriarFicheiroDeInventarios(const QString& numerodeCaracteres, const QString& path)
{
    QString error;
    const QString file = path.isEmpty() ? m_settings.value(SettingsKeys::FicheiroDeReport) : path;
    if (!InventoryReport(m_tables, m_data1, m_ui).CriarFicheiroDeInventarios(file, numerodeCaracteres, &error))
        return CommandResult::failed(error);
    return CommandResult::done();
}

QString Site::workbookPath() const
{
    return SitePaths::resolve(m_workbook);
}

QString Site::reportPath() const
{
    return SitePaths::resolve(m_settings.value(SettingsKeys::FicheiroDeReport));
}
