#include "FeedTestSupport.h"
#include "GuiTest.h"
#include "LoopbackFeedServer.h"
#include "messagecenter/AddRssItem.h"
#include "messagecenter/MessageCenterPage.h"
#include "pagekit/CheckListCtrl.h"
#include "pagekit/Controls.h"
#include "platform/Connectivity.h"
#include "settings/ResourceIds.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QAbstractButton>

#include <deque>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;
using namespace res::messagecenter;

namespace {

void Set(QWidget* editor, int id, const QString& text) { static_cast<QLineEdit*>(Control(editor, id))->setText(text); }

// Upper case where enabled: New, Edit, Delete, Import, list, both options, Hide, administrator-only
// box; then the letters of those checked.
QString State(QWidget* page)
{
    QString enabled, checked;
    for (auto [id, letter] : {std::pair<int, char>{IDC_NEW, 'n'}, {IDC_EDIT, 'e'}, {IDC_DELETE, 'd'}, {IDC_IMPORT, 'i'}, {IDC_FEEDLIST, 'l'},
                              {IDC_SHOW_MESSAGES, 'm'}, {IDC_SHOW_RSS, 'r'}, {res::IDC_HIDE, 'h'}, {res::IDC_ADMINONLY, 'a'}}) {
        enabled += Control(page, id)->isEnabled() ? QChar(letter).toUpper() : QChar(letter);
        if (auto* button = qobject_cast<QAbstractButton*>(Control(page, id)); button && button->isChecked())
            checked += letter;
    }
    return enabled + ' ' + checked;
}

// Drags the link onto the list and drops it; true when the list took it, as a copy.
bool Drop(CCheckListCtrl* list, const QString& format, const QByteArray& data)
{
    QMimeData mime;
    mime.setData(format, data);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

void PolicyValue(const char* name, DWORD value) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, name, value); }
void UserChoice(DWORD value) { PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", value); }

// The page's controls, a drop off line (taken exactly where New is), then OK after unticking
// Alpha: "written" is Alpha's "Enable" and "EnableRSS" in the user's store, 9 for none. The
// page kit's own locks are tested with it; here the elevated run stands for a locked page.
TEST(MessageCenterPage, ControlsAndWhatOkWrites)
{
    const std::tuple<std::function<void(GuiEnvironment&)>, const char*, const char*> cases[] = {
        {[](GuiEnvironment&) {}, "NEDILMRHA r", "0/1"},
        {[](GuiEnvironment&) { UserChoice(0); }, "nedilMRHA m", "0/0"},
        {[](GuiEnvironment&) { PolicyValue("EnableRSS", 1); UserChoice(0); }, "NEDILmrHA r", "0/1"},
        {[](GuiEnvironment&) { PolicyValue("EnableRSS", 0); }, "nedilmrHA m", "0/0"},
        {[](GuiEnvironment&) { PolicyValue("EnableRSS", 7); UserChoice(0); }, "nedilmrHA m", "0/0"},
        {[](GuiEnvironment& env) { env.setRights(true, true); }, "nedilmrhA r", "1/1"},
        {[](GuiEnvironment&) {
             settings::SetManagedMode(true);
             PutFeed(HKEY_LOCAL_MACHINE, mc::RssKey(true), "Alpha", "http://policy/rss");
             PutDword(HKEY_LOCAL_MACHINE, mc::MessageCenterKey(true), "EnableRSS", 1);
             PutDword(HKEY_LOCAL_MACHINE, mc::MessageCenterKey(true), "HideGroup", 1);
         }, "nedilmrha rh", "1/1"},
    };
    for (const auto& [setUp, state, written] : cases) {
        GuiEnvironment env;
        PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", "http://a/rss");
        PutFeed(HKEY_CURRENT_USER, kRss, "Beta", "http://b/rss");
        UserChoice(1);
        setUp(env);
        CMessageCenter page;
        page.CreatePage();
        EXPECT_EQ(State(&page).toStdString(), state);
        const int rows = page.Model().rowCount();
        EXPECT_EQ(rows, settings::IsManagedMode() ? 1 : 2);
        platform::SetInternetConnectedForTest(false);
        EXPECT_EQ(Drop(page.List(), "_NETSCAPE_URL", "http://dropped/rss\nDropped") && WaitFor([&] { return page.Model().rowCount() > rows; }),
                  state[0] == 'N') << state;
        platform::SetInternetConnectedForTest(std::nullopt);
        page.Model().setData(page.Model().index(0, 0), ui::kUnchecked, ui::StateImageRole);
        EXPECT_FALSE(page.OnOK().Failed());
        EXPECT_EQ(QStringLiteral("%1/%2").arg(ReadDword(HKEY_CURRENT_USER, kRss + "\\Alpha", "Enable").value_or(9))
                      .arg(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS").value_or(9)).toStdString(), written) << state;
    }
}

// Cancel leaves the list as stored; OK failing at each of its writes in turn leaves the store as
// it was; both, once through, remove an import's working copy.
TEST(MessageCenterPage, CancelAndFailedOkKeepTheStore)
{
    GuiEnvironment env;
    PutFeed(HKEY_CURRENT_USER, kRss, "Old", "http://a/old");
    int nth = 0;
    for (bool failed = true; failed && nth < 40; ++nth) {
        PutFeed(HKEY_CURRENT_USER, mc::RssTempKey(), "Imported", "http://a/imported");
        const QString before = Export(kMessageCenter), list = Export(kRss);
        CMessageCenter page;
        page.CreatePage();
        page.Model().AddFeedItem({"New", "", "http://a/new", 1});
        page.Model().setData(page.Model().index(1, 0), ui::kUnchecked, ui::StateImageRole);
        app::PageSave::FailWriteForTest(nth);
        failed = nth == 0 ? (page.OnCancel(), true) : page.OnOK().Failed();
        app::PageSave::FailWriteForTest(0);
        if (nth == 0) {
            EXPECT_EQ(Export(kRss) + Export(mc::RssTempKey()), list + "<missing>");
        } else if (failed) {
            ASSERT_EQ(Export(kMessageCenter).toStdString(), before.toStdString()) << "write " << nth;
        }
    }
    EXPECT_GT(nth, 5);
    EXPECT_EQ(Describe(mc::LoadFeedList(HKEY_CURRENT_USER, kRss).entries), "New:1 Old:0");
    EXPECT_EQ(Export(mc::RssTempKey()), "<missing>");
}

// New, Edit, the check's answers, two quick OKs, a drop of each form, Delete, then the sheet's OK:
// the store holds exactly the expected feeds.
TEST(MessageCenterSheet, FeedsThroughTheSheet)
{
    GuiEnvironment env;
    LoopbackFeedServer server;
    const QString feed = server.Url("feed.xml"), html = server.Url("page.html");
    PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", feed + "?n=alpha", 0);
    PutFeed(HKEY_CURRENT_USER, kRss, "Omega", feed + "?n=omega");
    UserChoice(1);
    QFile urlFile(env.store.dir() + "/Url File.url");
    ASSERT_TRUE(urlFile.open(QIODevice::WriteOnly));
    urlFile.write(("[InternetShortcut]\r\nURL=" + feed + "?n=file\r\n").toUtf8());
    urlFile.close();

    QStringList messages, titles;
    const auto typeAndOk = [&](const QString& name, const QString& url) {
        return [&, name, url](CAddRssItem& editor) {
            Set(&editor, IDC_FEED_NAME, name);
            Set(&editor, IDC_FEED_XMLURL, url);
            const qsizetype shown = messages.size();
            editor.OnBnClickedOk();
            WaitFor([&] { return editor.result() != 0 || messages.size() > shown; });
            return editor.result();
        };
    };
    std::deque<std::function<int(CAddRssItem&)>> steps = {
        [&](CAddRssItem& editor) {
            Set(&editor, IDC_FEED_NAME, "Valid");
            Set(&editor, IDC_FEED_XMLURL, "127.0.0.1/feed.xml");
            EXPECT_FALSE(Control(&editor, res::IDOK)->isEnabled()) << "no scheme";
            return typeAndOk("Valid", feed + "?n=valid")(editor);
        },
        // An HTML page: 175, the editor stays open; a name taken but for its case: 177; Cancel.
        [&](CAddRssItem& editor) {
            EXPECT_EQ(typeAndOk("Html", html)(editor), 0);
            EXPECT_EQ(typeAndOk("omega", feed)(editor), 0);
            return int(QDialog::Rejected);
        },
        [&](CAddRssItem& editor) {
            platform::SetInternetConnectedForTest(false);
            const int result = typeAndOk("Offline", "http://unreachable.invalid/rss")(editor);
            platform::SetInternetConnectedForTest(std::nullopt);
            return result;
        },
        // Edit keeps its own name and its tick.
        [&](CAddRssItem& editor) {
            Set(&editor, IDC_FEED_HTMLURL, "http://alpha/");
            return typeAndOk("Alpha", feed + "?n=alpha")(editor);
        },
        // Two quick OKs: the later answer (invalid) counts, the earlier one never arrives.
        [&](CAddRssItem& editor) {
            Set(&editor, IDC_FEED_NAME, "Quick");
            Set(&editor, IDC_FEED_XMLURL, server.Url("slow-feed.xml"));
            editor.OnBnClickedOk();
            EXPECT_TRUE(editor.IsChecking());
            EXPECT_EQ(typeAndOk("Quick", html)(editor), 0);
            WaitFor([] { return false; }, LoopbackFeedServer::kSlowMs * 2);
            EXPECT_EQ(editor.result(), 0);
            return typeAndOk("Quick", feed + "?n=quick")(editor);
        },
        // A dropped name that is taken opens the edit form with the dropped values.
        typeAndOk("Renamed", feed + "?n=taken"),
    };
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages << box->text();
            return QMessageBox::Ok;
        }
        if (auto* editor = qobject_cast<CAddRssItem*>(&dialog)) {
            titles << editor->windowTitle() + ':' + static_cast<QLineEdit*>(Control(editor, IDC_FEED_NAME))->text();
            const auto step = steps.front();
            steps.pop_front();
            return step(*editor);
        }
        dialog.show();
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        sheet.SetActivePage(2);
        auto& page = *static_cast<CMessageCenter*>(sheet.GetPage(2));
        CCheckListCtrl* list = page.List();
        for (const char* name : {"", "", "", "Alpha", ""}) {
            list->SetSelectionMark(page.Model().FindName(name));
            Click(&page, *name ? IDC_EDIT : IDC_NEW);
        }
        const QString moz = feed + "?n=moz\nMoz Link";
        const std::pair<QString, QByteArray> drops[] = {
            {"text/x-moz-url", QByteArray(reinterpret_cast<const char*>(moz.utf16()), moz.size() * 2)},
            {"_NETSCAPE_URL", (feed + "?title=Channel%20Title\nNetscape").toUtf8()},
            {"text/uri-list", (feed + "?n=uri\r\n").toUtf8()},
            {"text/plain", (feed + "?n=plain").toUtf8()},
            {"text/uri-list", QUrl::fromLocalFile(urlFile.fileName()).toEncoded()},
            {"_NETSCAPE_URL", (html + "\nBroken").toUtf8()},
            {"_NETSCAPE_URL", (feed + "?n=taken\nAlpha").toUtf8()},
        };
        for (const auto& [format, data] : drops) {
            const int rows = page.Model().rowCount();
            const qsizetype shown = messages.size();
            EXPECT_TRUE(Drop(list, format, data));
            EXPECT_TRUE(WaitFor([&] { return page.Model().rowCount() > rows || messages.size() > shown; })) << format.toStdString();
        }
        list->SetSelectionMark(page.Model().FindName("Omega"));
        const int omega = list->GetSelectionMark();
        Click(&page, IDC_DELETE);
        EXPECT_EQ(list->GetSelectionMark(), omega - 1) << "the row before";
        Click(&dialog, res::IDOK);
        return dialog.result();
    });
    CCustomizerApp app;
    app.InitInstance();
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(titles, QStringList({"New:", "New:", "New:", "Edit:Alpha", "New:", "Edit:Alpha"}));
    const QString invalid = "This link does not contain the valid RSS Feed.", taken = "This name has already been registered.";
    EXPECT_EQ(messages, QStringList({invalid, taken, invalid, invalid, taken, "Are you sure you want to delete the selected feed?"}));
    EXPECT_EQ(Export(kMessageCenter).replace(server.Url(""), "http://loopback/").toStdString(), FileText(QSCUST_TEST_DATA "/messagecenter/after_ok.reg").toStdString());
}

} // namespace
