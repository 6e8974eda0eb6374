#include "FeedTestSupport.h"
#include "GuiTest.h"
#include "messagecenter/ImportRssFeeds.h"
#include "messagecenter/MessageCenterPage.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "settings/ResourceIds.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;
using namespace res::messagecenter;

namespace {

const QString kBrowserKey = QStringLiteral("SOFTWARE\\Microsoft\\Internet Explorer");

QString WriteFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QFile file(folder + '/' + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

QByteArray Opml(const QByteArray& outlines) { return "<?xml version=\"1.0\"?><opml version=\"2.0\"><body>" + outlines + "</body></opml>"; }

QByteArray Outline(const QByteArray& title, const QByteArray& url, const QByteArray& type = "rss")
{
    return "<outline type=\"" + type + "\" text=\"" + title + "\" xmlUrl=\"" + url + "\" htmlUrl=\"http://page/" + title + "\"/>";
}

// Each import runs on a page over the stored Alpha (unticked) and Beta, and one feed kept as
// stored (its URL too long to read). What the list shows after it, Alpha's feed URL and the
// status line; then Cancel, which leaves the RSS key as it was and no working copy.
TEST(FeedImport, ImportsMergeThroughTheWorkingCopy)
{
    const QString lib = QStringLiteral(SUBSCRIPTIONS_DIR "/libqsrsshlp.so");
    const QString added = "Feeds added by the import: %1. Click OK to keep them.", none = "No feeds could be imported.";
    struct Case {
        const char* what;
        QByteArray opml;   // empty: the library named below
        QString library;
        const char* mode;
        const char* list;
        QString status;
    };
    const Case cases[] = {
        {"two outlines, one named as a stored feed", Opml(Outline("Alpha", "http://x/alpha") + Outline("New", "http://x/new")), {}, "",
         "Alpha:0 Beta:1 Kept:0! New:1", added.arg(1)},
        {"the same title twice: the later URLs", Opml(Outline("Twice", "http://x/1") + Outline("Twice", "http://x/2")), {}, "",
         "Alpha:0 Beta:1 Kept:0! Twice:1", added.arg(1)},
        {"folders at any depth, other types and unfit names left out",
         Opml("<outline text=\"Folder\">" + Outline("Deep", "http://x/deep") + Outline("Link", "http://x/l", "link") +
              Outline("Back\\slash", "http://x/b") + Outline(QByteArray(256, 'L'), "http://x/long") + Outline("KEPT", "http://x/k") +
              "</outline>"), {}, "", "Alpha:0 Beta:1 Deep:1 Kept:0!", added.arg(1)},
        {"an empty OPML file", Opml(""), {}, "", "Alpha:0 Beta:1 Kept:0!", added.arg(0)},
        {"not XML", "this is not <xml", {}, "", "Alpha:0 Beta:1 Kept:0!", none},
        {"an Atom feed", "<feed xmlns=\"http://www.w3.org/2005/Atom\"/>", {}, "", "Alpha:0 Beta:1 Kept:0!", added.arg(0)},
        {"library writing feeds", {}, lib, "", "Alpha:0 Beta:1 Browser off:0 Browser on:1 Browser unset:0 Kept:0!", added.arg(3)},
        {"library answering 0", {}, lib, "refuse", "Alpha:0 Beta:1 Kept:0!", none},
        {"library without the export", {}, QStringLiteral(SUBSCRIPTIONS_DIR "/libqsrsshlp_noexport.so"), "", "Alpha:0 Beta:1 Kept:0!", none},
        {"no library by that name", {}, QStringLiteral("qsrsshlp"), "", "Alpha:0 Beta:1 Kept:0!", none},
    };
    for (const Case& c : cases) {
        GuiEnvironment env;
        PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", "http://stored/alpha", 0);
        PutFeed(HKEY_CURRENT_USER, kRss, "Beta", "http://stored/beta");
        PutFeed(HKEY_CURRENT_USER, kRss, "Kept", QString(600, 'k'), 0);
        PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 1);
        const QString stored = Export(kRss);
        CMessageCenter page;
        page.CreatePage();
        qputenv("QSRSSHLP_TEST", c.mode);
        bool finished = false;
        QObject::connect(&page.Import(), &FeedImport::finished, [&] { finished = true; });
        if (c.opml.isEmpty()) {
            page.Import().SetLibraryName(c.library);
            page.Import().ImportFromLibrary();
        } else {
            page.Import().LoadOPML(WriteFile(env.store.dir(), "feeds.opml", c.opml));
        }
        qunsetenv("QSRSSHLP_TEST");
        ASSERT_TRUE(WaitFor([&] { return finished; })) << c.what;
        EXPECT_EQ(Describe(page.Model().Entries()), c.list) << c.what;
        EXPECT_EQ(page.Model().Feed(0).xmlUrl.toStdString(), "http://stored/alpha") << c.what;
        EXPECT_EQ(static_cast<QLabel*>(Control(&page, IDC_IMPORT_STATUS))->text(), c.status) << c.what;
        EXPECT_EQ(Export(kRss), stored) << c.what;
        page.OnCancel();
        EXPECT_EQ(Export(kRss), stored) << c.what;
        EXPECT_EQ(Export(mc::RssTempKey()), "<missing>") << c.what;
    }
}

// A write of the working copy failing at each step in turn leaves the list and the store as they
// were; a second load started before the first ends replaces it.
TEST(FeedImport, FailedWritesAndReplacedLoads)
{
    GuiEnvironment env;
    PutFeed(HKEY_CURRENT_USER, kRss, "Stored", "http://stored/rss");
    const QString first = WriteFile(env.store.dir(), "first.xml", Opml(Outline("First", "http://x/1") + Outline("Other", "http://x/o")));
    FeedListModel model;
    model.LoadFeedList(HKEY_CURRENT_USER, kRss);
    FeedImport import(model);
    int finished = 0;
    QObject::connect(&import, &FeedImport::finished, [&] { ++finished; });
    for (int nth = 1; nth <= 12; ++nth) {
        app::PageSave::FailWriteForTest(nth);
        import.LoadOPML(first);
        ASSERT_TRUE(WaitFor([&] { return finished == nth; }));
        app::PageSave::FailWriteForTest(0);
        EXPECT_EQ(Describe(model.Entries()), "Stored:1") << "write " << nth;
        EXPECT_EQ(Export(mc::RssTempKey()), "<missing>") << "write " << nth;
    }
    import.LoadOPML(first);
    import.LoadOPML(WriteFile(env.store.dir(), "second.xml", Opml(Outline("Second", "http://x/2"))));
    ASSERT_TRUE(WaitFor([&] { return finished == 13; }));
    WaitFor([&] { return finished > 13; }, 300);
    EXPECT_EQ(finished, 13);
    EXPECT_EQ(Describe(model.Entries()), "Second:1 Stored:1");
}

// The browser's option by its "Version" (compared as text), and which chosen files OK takes.
TEST(FeedImport, DialogChoices)
{
    const std::pair<const char*, bool> versions[] = {{"7.0.0.0", true}, {"8.0", true}, {"10.0", false}, {"7.0", false}, {nullptr, false}};
    for (const auto& [version, browser] : versions) {
        GuiEnvironment env;
        if (version)
            PutString(HKEY_LOCAL_MACHINE, kBrowserKey, "Version", version);
        EXPECT_EQ(mc::BrowserImportAvailable(), browser) << (version ? version : "missing");
        CImportRssFeeds dialog;
        dialog.OnInitDialog();
        auto* option = static_cast<QRadioButton*>(Control(&dialog, IDC_IMPORT_BROWSER));
        EXPECT_EQ(option->isEnabled() && option->isChecked(), browser);
        EXPECT_EQ(static_cast<QRadioButton*>(Control(&dialog, IDC_IMPORT_OPML))->isChecked(), !browser);
    }

    GuiEnvironment env;
    const std::pair<const char*, bool> files[] = {{"feeds.opml", true}, {"feeds.xml", true}, {"FEEDS.XML", true}, {"feeds.xmlx", true},
                                                  {"feeds.txt", false}, {"opml.d/feeds", false}, {"missing.opml", false}, {"", false}};
    for (const auto& [name, taken] : files) {
        QString path = env.store.dir() + '/' + name;
        if (*name && QString(name) != "missing.opml") {
            QDir().mkpath(QFileInfo(path).path());
            WriteFile(env.store.dir(), name, Opml(""));
        }
        QString title, filter;
        env.setModalHandler([&](QDialog& shown) {
            auto& files = static_cast<QFileDialog&>(shown);
            title = files.windowTitle();
            filter = files.nameFilters().join(';');
            if (!*name)
                return int(QDialog::Rejected);
            files.selectFile(path);
            return int(QDialog::Accepted);
        });
        CImportRssFeeds dialog;
        dialog.OnInitDialog();
        dialog.OnBnClickedOk();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, taken) << name;
        EXPECT_EQ(dialog.Chosen().path, taken ? path : QString()) << name;
        EXPECT_EQ((title + '|' + filter).toStdString(), "Import|OPML File (*.xml *.opml)");
    }
}

// Import through the sheet: the OPML option, a file chosen, the merged list, focus back on
// Import, then OK: the store holds the list and the imported feeds, and no working copy.
TEST(FeedImportSheet, OpmlThroughTheSheet)
{
    GuiEnvironment env;
    PutFeed(HKEY_CURRENT_USER, kRss, "Stored", "http://stored/rss", 0);
    PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 1);
    const QString path = WriteFile(env.store.dir(), "subscriptions.opml",
                                   Opml(Outline("Stored", "http://other/rss") + "<outline text=\"News\">" + Outline("World", "http://x/world") +
                                        Outline("Local", "http://x/local") + "</outline>"));
    QStringList shown;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            shown << "files";
            files->selectFile(path);
            return QDialog::Accepted;
        }
        if (auto* import = qobject_cast<CImportRssFeeds*>(&dialog)) {
            shown << "import";
            EXPECT_FALSE(Control(import, IDC_IMPORT_BROWSER)->isEnabled());
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
    EXPECT_EQ(shown, QStringList({"import", "files"}));
    EXPECT_EQ(Export(kMessageCenter).toStdString(), FileText(QSCUST_TEST_DATA "/messagecenter/after_import.reg").toStdString());
}

} // namespace
