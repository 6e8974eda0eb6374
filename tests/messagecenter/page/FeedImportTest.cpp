#include "FeedTestSupport.h"
#include "GuiTest.h"
#include "messagecenter/ImportRssFeeds.h"
#include "messagecenter/MessageCenterPage.h"
#include "pagekit/CheckListCtrl.h"
#include "settings/ResourceIds.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;
using namespace res::messagecenter;

namespace {

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return path;
}

QByteArray Opml(const QByteArray& body) { return "<?xml version=\"1.0\"?><opml version=\"2.0\"><body>" + body + "</body></opml>"; }

QByteArray Outline(const QByteArray& title, const QByteArray& type = "rss")
{
    return "<outline type=\"" + type + "\" text=\"" + title + "\" xmlUrl=\"http://x/" + title + "\" htmlUrl=\"http://page/" + title + "\"/>";
}

// Each import runs on a page over the stored Alpha (unticked), Beta, and Kept (kept as stored: its
// URL is too long to read), with a working copy left over from an earlier run, and ends with the list, Alpha's URL, the status line, and after
// Cancel the RSS key unchanged and no working copy. Library cases name the library to load.
TEST(FeedImport, ImportsMergeThroughTheWorkingCopy)
{
    const QString added = "Feeds added by the import: %1. Click OK to keep them.", none = "No feeds could be imported.";
    const char* const stored = "Alpha:0 Beta:1 Kept:0!";
    const std::tuple<const char*, QByteArray, const char*, QString> cases[] = {
        {"Alpha:0 Beta:1 Kept:0! New:1", Opml(Outline("Alpha") + Outline("New")), "", added.arg(1)},
        {"Alpha:0 Beta:1 Deep:1 Kept:0!",
         Opml("<outline text=\"Folder\">" + Outline("Deep") + Outline("Link", "link") + Outline("Back\\slash") + Outline("Tab&#9;bed") + Outline(QByteArray(256, 'L')) +
              Outline("KEPT") + "</outline>"), "", added.arg(1)},
        {"Alpha:0 Amp:1 Beta:1 Kept:0!", Opml("<outline type=\"rss\" text=\"Amp\" xmlUrl=\"http://x/?a=1&b=2\"/>"), "", added.arg(1)},
        {stored, Opml(""), "", added.arg(0)},
        {stored, "this is not <xml", "", none},
        {"Alpha:0 Beta:1 Browser off:0 Browser on:1 Browser unset:0 Kept:0!", "", SUBSCRIPTIONS_DIR "/libqsrsshlp.so", added.arg(3)},
        {stored, "", SUBSCRIPTIONS_DIR "/libqsrsshlp.so:refuse", none},
        {stored, "", SUBSCRIPTIONS_DIR "/libqsrsshlp_noexport.so", none},
        {stored, "", "qsrsshlp", none},
        {stored, Opml(Outline("New")), "write 4 fails", none},
        {stored, Opml(Outline("New")), "write 9 fails", none},
    };
    for (const auto& [list, opml, library, status] : cases) {
        GuiEnvironment env;
        PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", "http://stored/alpha", 0);
        PutFeed(HKEY_CURRENT_USER, kRss, "Beta", "http://stored/beta");
        PutFeed(HKEY_CURRENT_USER, kRss, "Kept", QString(600, 'k'), 0);
        PutFeed(HKEY_CURRENT_USER, mc::RssTempKey(), "Stale", "http://left/over");
        const QString before = Export(kRss);
        const std::string what = (opml + library).toStdString();
        CMessageCenter page;
        page.CreatePage();
        QSignalSpy finished(&page.Import(), &FeedImport::finished);
        qputenv("QSRSSHLP_TEST", QByteArray(library).endsWith(":refuse") ? "refuse" : "");
        page.Import().SetLibraryName(QString(library).section(':', 0, 0));
        app::PageSave::FailWriteForTest(QString(library).section(' ', 1, 1).toInt());
        opml.isEmpty() ? page.Import().ImportFromLibrary() : page.Import().LoadOPML(WriteFile(env.store.dir() + "/feeds.opml", opml));
        ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; })) << what;
        app::PageSave::FailWriteForTest(0);
        EXPECT_EQ(Describe(page.Model().Entries()), list) << what;
        QList<mc::FeedEntry> readBack = mc::LoadFeedList(HKEY_CURRENT_USER, mc::RssTempKey()).entries;
        readBack.removeIf([](const mc::FeedEntry& entry) { return entry.feed.name.toUpper() == "KEPT"; });
        readBack.append(page.Model().Entries()[page.Model().FindName("Kept")]);
        mc::SortFeeds(readBack);
        EXPECT_EQ(Describe(readBack), status == none ? "Kept:0! Stale:1" : list) << what;
        EXPECT_EQ(page.Model().Feed(0).xmlUrl, "http://stored/alpha") << what;
        EXPECT_EQ(static_cast<QLabel*>(Control(&page, IDC_IMPORT_STATUS))->text(), status) << what;
        page.OnCancel();
        EXPECT_EQ(Export(kRss) + Export(mc::RssTempKey()), before + "<missing>") << what;
    }
}

// The browser's option by its "Version" compared as text; the files OK takes; a second load
// started before the first ends replaces it.
TEST(FeedImport, ChoicesAndReplacedLoads)
{
    GuiEnvironment env;
    for (const char* version : {"", "7.0.0.0", "8.0", "10.0", "7.0"}) {
        if (*version)
            PutString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer", "Version", version);
        CImportRssFeeds dialog;
        dialog.OnInitDialog();
        const bool browser = QByteArray(version).startsWith('8') || QByteArray(version) == "7.0.0.0";
        EXPECT_EQ(Control(&dialog, IDC_IMPORT_BROWSER)->isEnabled() && !static_cast<QRadioButton*>(Control(&dialog, IDC_IMPORT_OPML))->isChecked(), browser) << version;
    }
    QDir(env.store.dir()).mkdir("dir.xml");
    for (const auto& [name, taken] : {std::pair<QString, bool>{"feeds.opml", true}, {"FEEDS.XML", true}, {"feeds.xmlx", true}, {"feeds.txt", false},
                                      {"dir.xml/feeds", false}, {"missing.opml", false}, {"", false}}) {
        const QString path = env.store.dir() + '/' + name;
        if (!name.startsWith("missing") && !name.isEmpty())
            WriteFile(path, Opml(Outline(name.toUtf8())));
        env.setModalHandler([&](QDialog& shown) {
            auto& files = static_cast<QFileDialog&>(shown);
            EXPECT_EQ(files.windowTitle() + '|' + files.nameFilters().join(';'), "Import|OPML File (*.xml *.opml)");
            files.selectFile(path);
            return int(name.isEmpty() ? QDialog::Rejected : QDialog::Accepted);
        });
        CImportRssFeeds dialog;
        dialog.OnInitDialog();
        dialog.OnBnClickedOk();
        EXPECT_EQ(dialog.result() == QDialog::Accepted ? dialog.Chosen().path : QString(), taken ? path : QString()) << name.toStdString();
    }
    FeedListModel model;
    FeedImport import(model);
    int finished = 0;
    QObject::connect(&import, &FeedImport::finished, [&] { ++finished; });
    import.LoadOPML(env.store.dir() + "/feeds.opml");
    import.LoadOPML(env.store.dir() + "/FEEDS.XML");
    EXPECT_FALSE(WaitFor([&] { return finished > 1; }, 500));
    EXPECT_EQ(Describe(model.Entries()), "FEEDS.XML:1");
}

// Import through the sheet: the OPML option, a file chosen, the merged list, focus back on
// Import, then OK: the store holds the list and the imported feeds, and no working copy.
TEST(FeedImportSheet, OpmlThroughTheSheet)
{
    GuiEnvironment env;
    PutFeed(HKEY_CURRENT_USER, kRss, "Stored", "http://stored/rss", 0);
    PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 1);
    const QString path = WriteFile(env.store.dir() + "/subscriptions.opml",
                                   Opml(Outline("Stored") + "<outline text=\"News\">" + Outline("World") + Outline("Local") + "</outline>"));
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(path);
            return QDialog::Accepted;
        }
        if (auto* import = qobject_cast<CImportRssFeeds*>(&dialog)) {
            Click(import, res::IDOK);
            return import->result();
        }
        dialog.show();
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.SetActivePage(2);
        auto& page = *static_cast<CMessageCenter*>(sheet.GetPage(2));
        EXPECT_TRUE(WaitFor([&] { return dialog.focusWidget() == page.List(); }));
        Click(&page, IDC_IMPORT);
        EXPECT_TRUE(WaitFor([&] { return page.Model().rowCount() == 3; }));
        EXPECT_EQ(Describe(page.Model().Entries()), "Local:1 Stored:0 World:1");
        EXPECT_EQ(dialog.focusWidget(), Control(&page, IDC_IMPORT));
        Click(&dialog, res::IDOK);
        return dialog.result();
    });
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_EQ(Export(kMessageCenter).toStdString(), FileText(QSCUST_TEST_DATA "/messagecenter/after_import.reg").toStdString());
}

} // namespace
