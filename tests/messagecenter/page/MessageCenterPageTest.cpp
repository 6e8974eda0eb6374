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
#include <QCheckBox>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <deque>

#include <gtest/gtest.h>

using namespace reg;
using namespace feedtest;
using namespace res::messagecenter;

namespace {

QWidget* Control(QWidget* parent, int id)
{
    QWidget* control = ui::FindControl(parent, id);
    EXPECT_TRUE(control) << id;
    return control;
}

void Click(QWidget* parent, int id) { static_cast<QAbstractButton*>(Control(parent, id))->click(); }

// The enabled controls among New, Edit, Delete, Import, the list, both options, Hide and
// administrator-only box: upper case where enabled, "_" for a missing control.
QString Enabled(QWidget* page)
{
    QString states;
    const std::pair<int, char> controls[] = {{IDC_NEW, 'n'}, {IDC_EDIT, 'e'}, {IDC_DELETE, 'd'}, {IDC_IMPORT, 'i'},
                                             {IDC_FEEDLIST, 'l'}, {IDC_SHOW_MESSAGES, 'm'}, {IDC_SHOW_RSS, 'r'},
                                             {res::IDC_HIDE, 'h'}, {res::IDC_ADMINONLY, 'a'}};
    for (auto [id, letter] : controls)
        states += Control(page, id)->isEnabled() ? QChar(letter).toUpper() : QChar(letter);
    return states;
}

struct Page : CMessageCenter {
    Page() { CreatePage(); }
};

struct StateCase {
    const char* name;
    std::function<void(GuiEnvironment&)> setUp;
    const char* enabled;
    bool rss;
    bool hide;
    // After OK: "Enable of Alpha / EnableRSS" in the user's store.
    const char* written;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

void PolicyValue(const char* name, DWORD value) { PutDword(HKEY_LOCAL_MACHINE, settings::kPolicyKey, name, value); }

const StateCase kStateCases[] = {
    {"rss", [](GuiEnvironment&) {}, "NEDILMRHA", true, false, "0/1"},
    {"messages_option_still_writes_the_feeds", [](GuiEnvironment&) { PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 0); },
     "nedilMRHA", false, false, "0/0"},
    {"policy_fixes_rss", [](GuiEnvironment&) { PolicyValue("EnableRSS", 1); PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 0); },
     "NEDILmrHA", true, false, "0/1"},
    {"policy_fixes_messages", [](GuiEnvironment&) { PolicyValue("EnableRSS", 0); }, "nedilmrHA", false, false, "0/0"},
    {"other_policy_value_disables_the_options_only", [](GuiEnvironment&) { PolicyValue("EnableRSS", 7); }, "NEDILmrHA", true, false, "0/1"},
    {"hide_policy_1", [](GuiEnvironment&) { PolicyValue("HideMCenter", 1); }, "NEDILMRhA", true, true, "0/1"},
    {"user_with_the_admin_box", [](GuiEnvironment& env) {
         env.setRights(false, false);
         PutDword(HKEY_LOCAL_MACHINE, kMessageCenter, "AllowOnlyAdmin", 1);
     }, "nedilmrhA", true, false, "0/1"},
    {"elevated_writes_no_feeds", [](GuiEnvironment& env) { env.setRights(true, true); }, "nedilmrhA", true, false, "1/1"},
    {"managed_shows_the_policy_feeds_and_writes_none", [](GuiEnvironment&) {
         settings::SetManagedMode(true);
         PutFeed(HKEY_LOCAL_MACHINE, kPolicyRss, "Alpha", "http://policy/rss");
         PutDword(HKEY_LOCAL_MACHINE, mc::MessageCenterKey(true), "EnableRSS", 1);
         PutDword(HKEY_LOCAL_MACHINE, mc::MessageCenterKey(true), "HideGroup", 1);
     }, "nedilmrha", true, true, "1/1"},
};

class PageStateTest : public testing::TestWithParam<StateCase> {};

// Controls after the page opens, then OK after unticking the first feed.
TEST_P(PageStateTest, ControlsAndWhatOkWrites)
{
    const StateCase& c = GetParam();
    GuiEnvironment env;
    PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", "http://a/rss");
    PutFeed(HKEY_CURRENT_USER, kRss, "Beta", "http://b/rss");
    PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 1);
    c.setUp(env);
    Page page;
    EXPECT_EQ(Enabled(&page).toStdString(), c.enabled);
    EXPECT_EQ(static_cast<QRadioButton*>(Control(&page, IDC_SHOW_RSS))->isChecked(), c.rss);
    EXPECT_EQ(static_cast<QRadioButton*>(Control(&page, IDC_SHOW_MESSAGES))->isChecked(), !c.rss);
    EXPECT_EQ(page.HideBox()->isChecked(), c.hide);
    ASSERT_EQ(page.Model().rowCount(), settings::IsManagedMode() ? 1 : 2);
    page.Model().setData(page.Model().index(0, 0), ui::kUnchecked, ui::StateImageRole);
    EXPECT_FALSE(page.OnOK().Failed());
    const QString written = QStringLiteral("%1/%2").arg(ReadDword(HKEY_CURRENT_USER, kRss + "\\Alpha", "Enable").value_or(9))
                                .arg(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS").value_or(9));
    EXPECT_EQ(written.toStdString(), c.written);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kMessageCenter, "HideGroup").has_value(), !settings::IsManagedMode());
}

INSTANTIATE_TEST_SUITE_P(Page, PageStateTest, testing::ValuesIn(kStateCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancel, and a failed OK, leave the feeds as stored; both remove an import's working copy.
TEST(MessageCenterPage, CancelAndFailedOkKeepTheStore)
{
    for (const bool cancel : {true, false}) {
        GuiEnvironment env;
        PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", "http://a/rss");
        PutFeed(HKEY_CURRENT_USER, mc::RssTempKey(), "Imported", "http://a/imported");
        const QString before = Export(kRss);
        Page page;
        page.Model().AddFeedItem({"New", "", "http://a/new", 1});
        if (cancel) {
            page.OnCancel();
            EXPECT_EQ(Export(mc::RssTempKey()), "<missing>");
        } else {
            app::PageSave::FailWriteForTest(3);
            EXPECT_TRUE(page.OnOK().Failed());
            app::PageSave::FailWriteForTest(0);
            EXPECT_NE(Export(mc::RssTempKey()), "<missing>");
        }
        EXPECT_EQ(Export(kRss).toStdString(), before.toStdString());
    }
}

// One scripted answer per feed editor the page opens.
using EditorStep = std::function<int(CAddRssItem&)>;

void Type(CAddRssItem& editor, const QString& name, const QString& url)
{
    static_cast<QLineEdit*>(Control(&editor, IDC_FEED_NAME))->setText(name);
    static_cast<QLineEdit*>(Control(&editor, IDC_FEED_XMLURL))->setText(url);
}

bool OkEnabled(CAddRssItem& editor) { return Control(&editor, res::IDOK)->isEnabled(); }

// Presses OK and waits for the page's answer: the editor closed, or a message shown.
int PressOk(CAddRssItem& editor, const QStringList& messages)
{
    const qsizetype shown = messages.size();
    editor.OnBnClickedOk();
    WaitFor([&] { return editor.result() != 0 || messages.size() > shown; });
    return editor.result();
}

void Drop(CCheckListCtrl* list, const QString& format, const QByteArray& data)
{
    QMimeData mime;
    mime.setData(format, data);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the source never loses what it offered";
}

QString SelectedName(CMessageCenter& page)
{
    const int row = page.List()->GetSelectionMark();
    return row < 0 ? QString() : page.Model().Feed(row).name;
}

// New, Edit, the on-line check's answers, two quick OKs, a drop of each form, Delete, then the
// sheet's OK: the store holds exactly the expected feeds.
TEST(MessageCenterSheet, FeedsThroughTheSheet)
{
    GuiEnvironment env;
    LoopbackFeedServer server;
    ASSERT_TRUE(server.isListening());
    const QString feed = server.Url("feed.xml");
    PutFeed(HKEY_CURRENT_USER, kRss, "Alpha", feed + "?n=alpha", 0);
    PutFeed(HKEY_CURRENT_USER, kRss, "Omega", feed + "?n=omega");
    PutDword(HKEY_CURRENT_USER, kMessageCenter, "EnableRSS", 1);
    QTemporaryDir files;
    QFile urlFile(files.filePath("Url File.url"));
    ASSERT_TRUE(urlFile.open(QIODevice::WriteOnly));
    urlFile.write(("[InternetShortcut]\r\nURL=" + feed + "?n=file\r\n").toUtf8());
    urlFile.close();

    QStringList messages;
    QStringList titles;
    std::deque<EditorStep> steps;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            messages << box->text();
            return QMessageBox::Ok;
        }
        if (auto* editor = qobject_cast<CAddRssItem*>(&dialog)) {
            titles << editor->windowTitle();
            EXPECT_FALSE(steps.empty());
            if (steps.empty())
                return QDialog::Rejected;
            const EditorStep step = steps.front();
            steps.pop_front();
            return step(*editor);
        }
        dialog.show();
        auto& page = *static_cast<CMessageCenter*>(static_cast<CQsCustSheet&>(dialog).GetPage(2));
        static_cast<CQsCustSheet&>(dialog).SetActivePage(2);
        CCheckListCtrl* list = page.List();

        steps = {
            // New with a feed that answers: accepted and added ticked.
            [&](CAddRssItem& editor) {
                EXPECT_FALSE(OkEnabled(editor));
                Type(editor, "Valid", "127.0.0.1/feed.xml");
                EXPECT_FALSE(OkEnabled(editor)) << "no scheme";
                Type(editor, "Valid", feed + "?n=valid");
                return PressOk(editor, messages);
            },
            // An HTML page: 175 and the editor stays open; a taken name: 177; then Cancel.
            [&](CAddRssItem& editor) {
                Type(editor, "Html", server.Url("page.html"));
                EXPECT_EQ(PressOk(editor, messages), 0);
                Type(editor, "omega", feed);
                EXPECT_EQ(PressOk(editor, messages), 0);
                return QDialog::Rejected;
            },
            // Off line the feed is accepted unchecked.
            [&](CAddRssItem& editor) {
                platform::SetInternetConnectedForTest(false);
                Type(editor, "Offline", "http://unreachable.invalid/rss");
                const int result = PressOk(editor, messages);
                platform::SetInternetConnectedForTest(std::nullopt);
                return result;
            },
            // Edit keeps its own name and its tick.
            [&](CAddRssItem& editor) {
                EXPECT_EQ(static_cast<QLineEdit*>(Control(&editor, IDC_FEED_NAME))->text(), "Alpha");
                static_cast<QLineEdit*>(Control(&editor, IDC_FEED_HTMLURL))->setText("http://alpha/");
                return PressOk(editor, messages);
            },
            // Two quick OKs: the later, invalid, answer counts; the earlier never arrives.
            [&](CAddRssItem& editor) {
                Type(editor, "Quick", server.Url("slow-feed.xml"));
                editor.OnBnClickedOk();
                EXPECT_TRUE(editor.IsChecking());
                Type(editor, "Quick", server.Url("page.html"));
                EXPECT_EQ(PressOk(editor, messages), 0);
                WaitFor([] { return false; }, LoopbackFeedServer::kSlowMs * 2);
                EXPECT_EQ(editor.result(), 0);
                Type(editor, "Quick", feed + "?n=quick");
                return PressOk(editor, messages);
            },
            // A dropped name that is taken opens the edit form with the dropped values.
            [&](CAddRssItem& editor) {
                EXPECT_EQ(static_cast<QLineEdit*>(Control(&editor, IDC_FEED_XMLURL))->text(), feed + "?n=taken");
                static_cast<QLineEdit*>(Control(&editor, IDC_FEED_NAME))->setText("Renamed");
                return PressOk(editor, messages);
            },
        };
        Click(&page, IDC_NEW);
        EXPECT_EQ(SelectedName(page), "Valid");
        Click(&page, IDC_NEW);
        Click(&page, IDC_NEW);
        list->SetSelectionMark(page.Model().FindName("Alpha"));
        Click(&page, IDC_EDIT);
        Click(&page, IDC_NEW);

        const auto dropAndWait = [&](const QString& format, const QByteArray& data) {
            const int rows = page.Model().rowCount();
            const qsizetype shown = messages.size();
            Drop(list, format, data);
            EXPECT_TRUE(WaitFor([&] { return page.Model().rowCount() > rows || messages.size() > shown; })) << format.toStdString();
        };
        const QString utf16 = feed + "?n=moz\nMoz Link";
        dropAndWait("text/x-moz-url", QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2));
        dropAndWait("_NETSCAPE_URL", (feed + "?title=Channel%20Title\nNetscape").toUtf8());
        dropAndWait("text/uri-list", (feed + "?n=uri\r\n").toUtf8());
        dropAndWait("text/plain", (feed + "?n=plain").toUtf8());
        dropAndWait("text/uri-list", QUrl::fromLocalFile(urlFile.fileName()).toEncoded());
        dropAndWait("_NETSCAPE_URL", (server.Url("page.html") + "\nBroken").toUtf8());
        dropAndWait("_NETSCAPE_URL", (feed + "?n=taken\nAlpha").toUtf8());
        EXPECT_EQ(SelectedName(page), "Renamed");

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
    EXPECT_EQ(titles, QStringList({"New", "New", "New", "Edit", "New", "Edit"}));
    const QString invalid = "This link does not contain the valid RSS Feed.";
    const QString taken = "This name has already been registered.";
    EXPECT_EQ(messages, QStringList({invalid, taken, invalid, invalid, taken,
                                     "Are you sure you want to delete the selected feed?"}));
    QFile expected(QStringLiteral(QSCUST_TEST_DATA "/messagecenter/after_ok.reg"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    QString stored = Export(kMessageCenter).replace(server.Base(), "http://loopback/");
    EXPECT_EQ(stored.toStdString(), QString::fromUtf8(expected.readAll()).toStdString());
}

} // namespace
