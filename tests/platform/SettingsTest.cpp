#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "support/TestProfile.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace SettingsKeys;

TEST(SettingsStore, GivesEachReaderItsDefaultAndWritesNoneBack)
{
    TestProfile profile;
    SettingsStore store;
    // The two readers of the report file have their own defaults.
    EXPECT_EQ(store.value(FicheiroDeReport), QStringLiteral("c:\\Report.txt"));
    EXPECT_EQ(store.value(FicheiroDeReportNaJanela), QStringLiteral("c:\\report.txt"));
    QString error;
    EXPECT_TRUE(store.sync(&error));
    EXPECT_FALSE(QFile::exists(profile.path(QStringLiteral("Tarvik.ini"))));
}

TEST(SettingsStore, KeepsStoredFormsInTheProfileIni)
{
    TestProfile profile;
    {
        SettingsStore store;
        store.setValue(AutoDescarrega, checkBoxForm(true));
        store.setValue(Margem, signedNumberForm(10));
        store.setValue(InventariosQel, QStringLiteral("d:\\dados\\Inv.xls"));
        QString error;
        ASSERT_TRUE(store.sync(&error)) << error.toStdString();
    }
    QFile ini(profile.path(QStringLiteral("Tarvik.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("[Startup]"));
    SettingsStore again;
    EXPECT_EQ(again.value(AutoDescarrega), QStringLiteral(" 1"));
    EXPECT_EQ(again.value(Margem), QStringLiteral(" 10"));
    EXPECT_EQ(again.value(InventariosQel), QStringLiteral("d:\\dados\\Inv.xls"));
}

TEST(SettingsKeys, StoredNumberFormsReadBack)
{
    for (double value : { 10.0, 10.5, -2.5, 0.0 })
        EXPECT_EQ(fromSignedNumberForm(signedNumberForm(value)), value);
    EXPECT_EQ(fromSignedNumberForm(QStringLiteral("10,5")), 10.5);
    EXPECT_EQ(fromSignedNumberForm(QStringLiteral("dez")), std::nullopt);
    EXPECT_EQ(fromSignedNumberForm(QStringLiteral("1.000.5")), std::nullopt);
    EXPECT_EQ(checkBoxForm(false), QStringLiteral(" 0"));
    EXPECT_EQ(signedNumberForm(-2.5), QStringLiteral("-2.5"));
    EXPECT_EQ(singleForm(8), QStringLiteral("8"));
    EXPECT_EQ(singleForm(10.5), QStringLiteral("10,5"));
    EXPECT_EQ(singleForm(0.1), QStringLiteral("0,1"));
}

TEST(SitePaths, PlacesDrivePathsUnderTheDataRoot)
{
    TestProfile profile;
    EXPECT_EQ(SitePaths::dataRoot(), profile.home());
    EXPECT_EQ(SitePaths::resolve(QStringLiteral("c:\\InventariosQel.xls")),
        profile.path(QStringLiteral("c/InventariosQel.xls")));
    EXPECT_EQ(
        SitePaths::resolve(QStringLiteral("C:\\qel\\bin_offline")), profile.path(QStringLiteral("c/qel/bin_offline")));
    EXPECT_EQ(SitePaths::resolve(QStringLiteral("/srv/site/inv.xls")), QStringLiteral("/srv/site/inv.xls"));
    EXPECT_EQ(SitePaths::resolve(QStringLiteral("inv.xls")), QStringLiteral("inv.xls"));
}
