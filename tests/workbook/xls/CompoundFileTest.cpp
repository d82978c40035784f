#include "workbook/xls/CompoundFile.h"

#include "support/TestProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-memory.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace {

using Failure = CompoundFile::ReadFailure;
using Listing = std::vector<std::tuple<QString, bool, QByteArray>>;

const QString kFixture = QStringLiteral(TARVIK_FIXTURES "/data/compound/gnumeric.xls");

// libgsf only prints a critical when misused (a double close, a null buffer); here that stops the test.
struct FatalCriticals
{
    GLogLevelFlags old = g_log_set_always_fatal(GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FATAL_MASK));
    ~FatalCriticals() { g_log_set_always_fatal(old); }
};

QByteArray pattern(qsizetype size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed) ^ (i >> 8));
    return bytes;
}

// Both sides of the 4096-byte line between the mini stream and whole sectors; nested and empty storages.
CompoundFile sample()
{
    CompoundFile file;
    file.classId = QByteArray::fromHex("2008020000000000c000000000000046");
    file.setStream(QStringLiteral("Workbook"), pattern(70000, 1));
    file.setStream(QStringLiteral("\u0005SummaryInformation"), pattern(300, 2));
    file.setStream(QStringLiteral("Vazio"), QByteArray());
    file.setStream(QStringLiteral("_VBA_PROJECT_CUR/PROJECT"), pattern(4095, 3));
    file.setStream(QStringLiteral("_VBA_PROJECT_CUR/VBA/dir"), pattern(4096, 4));
    file.setStream(QStringLiteral("_VBA_PROJECT_CUR/VBA/Module1"), pattern(4097, 5));
    file.entries.push_back({ QStringLiteral("Pasta vazia"), true, {} });
    return file;
}

Listing listOf(const CompoundFile& file, bool sorted = false)
{
    Listing list;
    for (const CompoundFile::Entry& entry : file.entries)
        list.emplace_back(entry.path, entry.isStorage, entry.data);
    if (sorted)
        std::sort(list.begin(), list.end());
    return list;
}

QStringList folder(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

// The sample, then Gnumeric's workbook, written and read again; xlrd, an independent reader, reads the rewritten
// workbook (tools/install-deps installs it, and without it the check fails).
TEST(CompoundFileRoundTrip, KeepsEveryStreamAndStorageByteForByte)
{
    FatalCriticals fatal;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("livro.xls"));
    QString error;
    ASSERT_TRUE(sample().write(path, &error)) << qPrintable(error);
    CompoundFile again;
    ASSERT_TRUE(CompoundFile::read(path, &again, &error)) << qPrintable(error);
    EXPECT_EQ(listOf(again, true), listOf(sample(), true));
    EXPECT_EQ(again.classId, sample().classId);

    // Once in libgsf's order, a further trip changes nothing; toBytes gives what write puts on disk.
    QByteArray bytes;
    ASSERT_TRUE(again.toBytes(&bytes, &error));
    CompoundFile third;
    ASSERT_TRUE(CompoundFile::readBytes(bytes, QStringLiteral("memória"), &third, &error));
    EXPECT_EQ(listOf(third), listOf(again));
    ASSERT_TRUE(third.write(path, &error));
    EXPECT_EQ(fileBytes(path), bytes);

    CompoundFile original;
    ASSERT_TRUE(CompoundFile::read(kFixture, &original, &error)) << qPrintable(error);
    ASSERT_TRUE(original.write(path, &error) && CompoundFile::read(path, &again, &error)) << qPrintable(error);
    EXPECT_EQ(listOf(again), listOf(original));
    EXPECT_EQ(folder(dir.path()), QStringList { QStringLiteral("livro.xls") });
    QProcess xlrd;
    xlrd.start(QStringLiteral(TARVIK_PYTHON3),
        { QStringLiteral("-c"),
            QStringLiteral("import sys, xlrd\n"
                           "sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                           "print(sheet.nrows, sheet.cell_value(2, 1), sheet.cell_value(2, 2))"),
            path });
    ASSERT_TRUE(xlrd.waitForFinished(60000));
    EXPECT_EQ(xlrd.readAllStandardOutput().trimmed(), QByteArray("3 Porca M4 7.5"))
        << xlrd.readAllStandardError().toStdString();
}

TEST(CompoundFileRoundTrip, KeepsTheClassIdOfAnEmbeddedStorage)
{
    // Only libgsf itself writes one here; it reads it back from our copy too.
    const QByteArray id = QByteArray::fromHex("0008020000000000c000000000000046");
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* root = gsf_outfile_msole_new(sink);
    GsfOutput* storage = gsf_outfile_new_child(root, "MBD0001", TRUE);
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(storage), reinterpret_cast<const guint8*>(id.constData()));
    ASSERT_TRUE(gsf_output_close(storage) && gsf_output_close(GSF_OUTPUT(root)));
    const QByteArray made(reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
        qsizetype(gsf_output_size(sink)));
    CompoundFile file;
    QByteArray copy;
    ASSERT_TRUE(
        CompoundFile::readBytes(made, QStringLiteral("objeto"), &file, nullptr) && file.toBytes(&copy, nullptr));
    GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(copy.constData()), copy.size(), FALSE);
    GsfInfile* infile = gsf_infile_msole_new(input, nullptr);
    GsfInput* child = infile ? gsf_infile_child_by_name(infile, "MBD0001") : nullptr;
    guint8 read[16] = {};
    EXPECT_TRUE(child && gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(child), read));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(read), 16), id);
    for (gpointer object :
        { gpointer(child), gpointer(infile), gpointer(input), gpointer(storage), gpointer(root), gpointer(sink) }) {
        if (object)
            g_object_unref(object);
    }
}

TEST(CompoundFileRead, SaysWhyAFileIsRefusedAndLeavesTheTargetAlone)
{
    QTemporaryDir dir;
    const QByteArray compound = fileBytes(kFixture);
    const struct
    {
        const char* name;
        QByteArray bytes;
        Failure failure;
        const char* words;
    } cases[] = {
        { "vazio.xls", QByteArray(), Failure::NotCompound, "não é um livro .xls" },
        { "ruido.xls", pattern(5000, 9), Failure::NotCompound, "não é um livro .xls" },
        { "livro.xlsx", QByteArray("PK\x03\x04\x14\x00", 6) + pattern(600, 7), Failure::ZipPackage, ".xlsx" },
        { "cortado.xls", compound.left(compound.size() - 512), Failure::Damaged, "está danificado: " },
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromUtf8(c.name));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(c.bytes) == c.bytes.size() && out.flush());
        for (bool fromDisk : { true, false }) {
            CompoundFile file = sample();
            QString error;
            Failure failure = Failure::None;
            EXPECT_FALSE(fromDisk ? CompoundFile::read(path, &file, &error, &failure)
                                  : CompoundFile::readBytes(c.bytes, path, &file, &error, &failure));
            EXPECT_EQ(failure, c.failure) << c.name;
            EXPECT_TRUE(error.contains(path) && error.contains(QString::fromUtf8(c.words))) << qPrintable(error);
            EXPECT_EQ(listOf(file), listOf(sample()));
        }
    }
    const QString missing = dir.filePath(QStringLiteral("nada.xls"));
    CompoundFile file;
    QString error;
    Failure failure = Failure::None;
    EXPECT_TRUE(!CompoundFile::read(missing, &file, &error, &failure) && failure == Failure::Missing);
    EXPECT_EQ(error, QStringLiteral("O ficheiro %1 não existe.").arg(missing));
    EXPECT_TRUE(!CompoundFile::read(dir.path(), &file, &error, &failure) && failure == Failure::Unreadable);
    EXPECT_TRUE(error.contains(dir.path()) && error.contains(QStringLiteral("pasta"))) << qPrintable(error);
}

TEST(CompoundFileRead, RefusesEveryTruncationAndSurvivesCorruptBytes)
{
    const QByteArray compound = fileBytes(kFixture);
    CompoundFile file;
    QString error;
    Failure failure = Failure::None;
    for (qsizetype size = 8; size < compound.size(); size += 7) {
        EXPECT_FALSE(CompoundFile::readBytes(compound.left(size), QStringLiteral("m"), &file, &error, &failure));
        EXPECT_EQ(failure, Failure::Damaged) << size;
    }
    // libgsf complains about some of these on stderr; none may crash or read out of bounds.
    for (qsizetype i = 0; i < compound.size(); i += 3) {
        QByteArray damaged = compound;
        damaged[i] = char(~damaged[i]);
        const bool ok = CompoundFile::readBytes(damaged, QStringLiteral("m"), &file, &error, &failure);
        EXPECT_TRUE(ok == (failure == Failure::None) && failure != Failure::ZipPackage) << i;
    }
}

// A file written over keeps its mode; a new one takes what the umask leaves, not the temporary file's 0600.
TEST(CompoundFileWrite, KeepsTheModeOfTheFileItReplaces)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.xls"));
    const QString fresh = dir.filePath(QStringLiteral("novo.xls"));
    ASSERT_TRUE(sample().write(real, nullptr));
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(sample().write(real, nullptr));
    const mode_t mask = ::umask(027);
    const bool written = sample().write(fresh, nullptr);
    ::umask(mask);
    EXPECT_TRUE(written);
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    EXPECT_EQ(QFileInfo(real).permissions(), mode);
    EXPECT_EQ(QFileInfo(fresh).permissions(), mode);
}

TEST(CompoundFileWrite, FailureLeavesTheOldFileAndNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("livro.xls"));
    ASSERT_TRUE(sample().write(target, nullptr));
    const QByteArray old = fileBytes(target);
    const CompoundFile good = sample();
    CompoundFile longName = sample(), twice = sample(), streamAndStorage = sample();
    longName.setStream(QStringLiteral("Um nome com mais de trinta e um caracteres"), "x");
    twice.entries.push_back(twice.entries.front());
    streamAndStorage.setStream(QStringLiteral("Workbook/x"), "x");
    // Root ignores permissions: a folder as the target makes the rename fail instead.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("pasta.xls")));
    const std::pair<const CompoundFile*, QString> cases[] = { { &longName, target }, { &twice, target },
        { &streamAndStorage, target }, { &good, dir.filePath(QStringLiteral("nao/existe.xls")) },
        { &good, dir.filePath(QStringLiteral("livro.xls/x.xls")) },
        { &good, dir.filePath(QStringLiteral("pasta.xls")) } };
    for (const auto& [file, path] : cases) {
        QString error;
        EXPECT_FALSE(file->write(path, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Não foi possível gravar o ficheiro %1: ").arg(path)))
            << qPrintable(error);
    }
    // A file size limit stands in for a full disk, which shows only at the root close (EFBIG).
    rlimit limit = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit lowered = { 32 * 1024, limit.rlim_max };
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lowered), 0);
    QString error;
    const bool written = good.write(target, &error);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.endsWith(QStringLiteral("; o ficheiro não foi alterado."))) << qPrintable(error);
    EXPECT_EQ(fileBytes(target), old);
    EXPECT_EQ(folder(dir.path()), (QStringList { QStringLiteral("livro.xls"), QStringLiteral("pasta.xls") }));
}
