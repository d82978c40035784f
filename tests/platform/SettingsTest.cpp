#include "platform/SettingsStore.h"
#include "platform/SitePaths.h"
#include "support/TestProfile.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace SettingsKeys;
using namespace Qt::StringLiterals;

// Defaults are never written back; what is set is kept in its stored form, which reads back as the number it
// stands for. The settings window's test checks the ini it writes.
TEST(SettingsStore, GivesEachReaderItsDefaultAndKeepsStoredFormsThatReadBack)
{
    TestProfile profile;
    {
        SettingsStore store;
        // The two readers of the report file have their own defaults.
        EXPECT_EQ(store.value(FicheiroDeReport), u"c:\\Report.txt"_s);
        EXPECT_EQ(store.value(FicheiroDeReportNaJanela), u"c:\\report.txt"_s);
        QString error;
        EXPECT_TRUE(store.sync(&error));
        EXPECT_FALSE(QFile::exists(profile.path(u"Tarvik.ini"_s)));
        store.setValue(Margem, signedNumberForm(10));
        store.setValue(InventariosQel, u"d:\\dados\\Inv.xls"_s);
        ASSERT_TRUE(store.sync(&error)) << error.toStdString();
    }
    SettingsStore again;
    EXPECT_EQ(again.value(Margem), u" 10"_s);
    EXPECT_EQ(again.value(InventariosQel), u"d:\\dados\\Inv.xls"_s);

    // What the settings window and the report viewer type in ("10,5", "dez", a font size of 12) is checked there.
    for (double value : { 10.0, 10.5, -2.5, 0.0 })
        EXPECT_EQ(fromSignedNumberForm(signedNumberForm(value)), value);
    EXPECT_EQ(fromSignedNumberForm(u"1.000.5"_s), std::nullopt);
    EXPECT_EQ(signedNumberForm(-2.5), u"-2.5"_s);
    EXPECT_EQ(singleForm(0.1), u"0,1"_s); // not the float's 0,100000001
}

TEST(SitePaths, PlacesDrivePathsUnderTheDataRoot)
{
    TestProfile profile;
    EXPECT_EQ(SitePaths::dataRoot(), profile.home());
    EXPECT_EQ(SitePaths::resolve(u"c:\\InventariosQel.xls"_s), profile.path(u"c/InventariosQel.xls"_s));
    EXPECT_EQ(SitePaths::resolve(u"C:\\qel\\bin_offline"_s), profile.path(u"c/qel/bin_offline"_s));
    EXPECT_EQ(SitePaths::resolve(u"/srv/site/inv.xls"_s), u"/srv/site/inv.xls"_s);
    EXPECT_EQ(SitePaths::resolve(u"inv.xls"_s), u"inv.xls"_s);
}
