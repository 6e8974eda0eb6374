#include "app/Controls.h"
#include "app/StringTable.h"
#include "quicklinks/AddItem.h"
#include "quicklinks/ClientItem.h"
#include "quicklinks/FilePath.h"
#include "GuiTest.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <vector>
#include <stdexcept>
#include <tuple>

namespace {

enum : int { IDC_NAME = 1009, IDC_FILEURL = 1015, IDC_BROWSE = 1016, IDC_PROMPT = 1021 };

// "{dir}" holds the files "my app" and "tool"; "{long}" is a file whose path has 259 characters.
// QSCUST_DIR names the folder, QSCUST_SPACED "{dir}/my app", QSCUST_LONG 300 characters.
class PathFiles {
public:
    PathFiles()
    {
        m_long = m_dir.filePath(QString(258 - m_dir.path().size(), u'a'));
        for (const QString& path : {m_dir.filePath("my app"), m_dir.filePath("tool"), m_long}) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                throw std::runtime_error("cannot create a test file");
        }
        qputenv("QSCUST_DIR", m_dir.path().toLocal8Bit());
        qputenv("QSCUST_SPACED", m_dir.filePath("my app").toLocal8Bit());
        qputenv("QSCUST_LONG", QByteArray(300, 'x'));
    }
    ~PathFiles()
    {
        for (const char* name : {"QSCUST_DIR", "QSCUST_SPACED", "QSCUST_LONG"})
            qunsetenv(name);
    }
    QString Resolve(const char* text) const
    {
        return QString::fromUtf8(text).replace("{dir}", m_dir.path()).replace("{long}", m_long);
    }

private:
    QTemporaryDir m_dir;
    QString m_long;
};

QString UrlOrPath(const QString& text) { return ql::PathIsURL(text) ? "url" : "path"; }

struct PathCase {
    const char* name;
    QString (*function)(const QString&);
    const char* text;
    const char* expected;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class FilePathTest : public testing::TestWithParam<PathCase> {};

TEST_P(FilePathTest, Resolves)
{
    const PathFiles files;
    const PathCase& c = GetParam();
    EXPECT_EQ(c.function(files.Resolve(c.text)), files.Resolve(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, FilePathTest, testing::Values(
    PathCase{"url_https", UrlOrPath, "https://example.com/x", "url"},
    PathCase{"url_mailto", UrlOrPath, "mailto:a@b", "url"},
    PathCase{"url_scheme_chars", UrlOrPath, "svn+ssh.2-x:host", "url"},
    PathCase{"drive_letter_is_no_scheme", UrlOrPath, "C:\\Tools\\x.exe", "path"},
    PathCase{"scheme_starts_with_letter", UrlOrPath, "1ab:c", "path"},
    PathCase{"expand_variable", ql::ExpandEnvironmentStrings, "%QSCUST_DIR%/tool", "{dir}/tool"},
    PathCase{"unknown_and_lone_percent_stay", ql::ExpandEnvironmentStrings, "5% %QSCUST_NONE% %%x",
             "5% %QSCUST_NONE% %%x"},
    PathCase{"expansion_past_260_fails", ql::ExpandEnvironmentStrings, "%QSCUST_LONG%", ""},
    PathCase{"args_after_quotes", ql::PathRemoveArgs, "\"a b\" -x y", "\"a b\""},
    PathCase{"open_quote_loses_trailing_blanks", ql::PathRemoveArgs, "\"a b  ", "\"a b"},
    PathCase{"url_of_existing_file", ql::CheckFilePath, "file://{dir}/tool", ""},
    PathCase{"quoted_variable_with_args", ql::CheckFilePath, "\"%QSCUST_DIR%/my app\" -option", "{dir}/my app"},
    PathCase{"unquoted_blank_cuts_to_nothing", ql::CheckFilePath, "{dir}/my app", ""},
    PathCase{"unquoted_blank_cuts_to_a_file", ql::CheckFilePath, "{dir}/tool box", "{dir}/tool"},
    PathCase{"blank_from_variable_cuts", ql::CheckFilePath, "%QSCUST_SPACED%", ""},
    PathCase{"quoted_variable_with_blank", ql::CheckFilePath, "\"%QSCUST_SPACED%\"", "{dir}/my app"},
    PathCase{"folder", ql::CheckFilePath, "{dir}", "{dir}"},
    PathCase{"missing_file", ql::CheckFilePath, "{dir}/missing", ""},
    PathCase{"text_cut_to_259", ql::CheckFilePath, "{long}x", "{long}"},
    PathCase{"failed_expansion_names_nothing", ql::CheckFilePath, "{dir}/tool %QSCUST_LONG%", ""}),
    [](const auto& info) { return std::string(info.param.name); });

template <class T>
T& Control(const QWidget& dialog, int id)
{
    if (auto* control = qobject_cast<T*>(ui::FindControl(&dialog, id)))
        return *control;
    throw std::runtime_error("missing control " + std::to_string(id));
}

// Replaces the box's text by typing; an empty text clears it.
void Type(QLineEdit& box, const std::optional<QString>& text)
{
    if (!text)
        return;
    box.selectAll();
    if (text->isEmpty())
        QTest::keyClick(&box, Qt::Key_Delete);
    else
        QTest::keyClicks(&box, *text);
}

const ClientItem kRecord{"Notes", "\"/usr/bin/gedit\" -s", "HKCU\\UserDefined\\0001", "UserDefined\\0001",
                         "0020", 7, 1};

// Runs the editor on item: body acts on it once shown, files answers its file dialogs.
int RunEditor(GuiEnvironment& env, ClientItem& item, std::function<void(CAddItem&)> body,
              std::function<int(QFileDialog&)> files = {})
{
    env.setModalHandler([editor = ShowAndRun([body](QDialog& d) { body(static_cast<CAddItem&>(d)); }),
                         files](QDialog& dialog) {
        if (auto* fileDialog = qobject_cast<QFileDialog*>(&dialog))
            return files ? files(*fileDialog) : int(QDialog::Rejected);
        return editor(dialog);
    });
    CAddItem editor;
    editor.m_pItem = &item;
    return editor.DoModal();
}

struct StateCase {
    const char* name;
    ClientItem item;
    std::optional<QString> typedName, typedCommand;
    const char* title;
    const char* prompt;
    QString nameBox, commandBox;
    bool okEnabled;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class AddItemStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(AddItemStateTest, OkNeedsBothBoxes)
{
    GuiEnvironment env;
    const StateCase& c = GetParam();
    ClientItem item = c.item;
    RunEditor(env, item, [&c](CAddItem& editor) {
        auto& name = Control<QLineEdit>(editor, IDC_NAME);
        auto& command = Control<QLineEdit>(editor, IDC_FILEURL);
        Type(name, c.typedName);
        Type(command, c.typedCommand);
        EXPECT_EQ(editor.windowTitle(), c.title);
        EXPECT_EQ(Control<QLabel>(editor, IDC_PROMPT).text(), c.prompt);
        EXPECT_EQ(name.text(), c.nameBox);
        EXPECT_EQ(command.text(), c.commandBox);
        EXPECT_EQ(Control<QPushButton>(editor, res::IDOK).isEnabled(), c.okEnabled);
        editor.reject();
    });
}

const char* const kNewPrompt = "Type a name of the new Quick Link.";
const char* const kEditPrompt = "Change the name or the file of the Quick Link.";

INSTANTIATE_TEST_SUITE_P(Cases, AddItemStateTest, testing::Values(
    StateCase{"new_opens_empty", {}, {}, {}, "New", kNewPrompt, "", "", false},
    StateCase{"new_name_alone", {}, "Notes", {}, "New", kNewPrompt, "Notes", "", false},
    StateCase{"new_both", {}, "Notes", "gedit", "New", kNewPrompt, "Notes", "gedit", true},
    StateCase{"name_stops_at_32", {}, QString(40, u'n'), "gedit", "New", kNewPrompt, QString(32, u'n'), "gedit", true},
    StateCase{"existing_opens_filled", kRecord, {}, {}, "Edit", kEditPrompt, "Notes", kRecord.ExecInterface, true},
    StateCase{"existing_name_cleared", kRecord, "", {}, "Edit", kEditPrompt, "", kRecord.ExecInterface, false},
    StateCase{"existing_command_cleared", kRecord, {}, "", "Edit", kEditPrompt, "Notes", "", false},
    StateCase{"existing_without_command", {"Notes", "", "", "", "", 0, 0}, {}, {}, "Edit", kEditPrompt,
              "Notes", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

// Alt with a label's mnemonic moves to its box; Alt+B browses.
TEST(AddItemMnemonicTest, ReachBoxesAndBrowse)
{
    GuiEnvironment env;
    ClientItem item;
    bool browsed = false;
    RunEditor(env, item, [&browsed](CAddItem& editor) {
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        for (auto [key, id] : {std::pair{Qt::Key_N, IDC_NAME}, {Qt::Key_F, IDC_FILEURL}, {Qt::Key_N, IDC_NAME}}) {
            QTest::keyClick(&editor, key, Qt::AltModifier);
            EXPECT_EQ(ui::ControlId(QApplication::focusWidget()), id);
        }
        QTest::keyClick(&editor, Qt::Key_B, Qt::AltModifier);
        EXPECT_TRUE(WaitFor([&browsed] { return browsed; }));
        editor.reject();
    }, [&browsed](QFileDialog&) {
        browsed = true;
        return int(QDialog::Rejected);
    });
}

auto Fields(const ClientItem& item)
{
    return std::tie(item.MenuString, item.ExecInterface, item.KeyPath, item.KeyName, item.OrderId, item.Category,
                    item.ExecInterfaceType);
}

struct CloseCase {
    const char* name;
    std::optional<QString> typedName, typedCommand;
    // Pressed in the name box; Return clicks OK while it is enabled.
    std::vector<Qt::Key> keys;
    int result;
    // What the record holds afterwards; unset: as it was.
    std::optional<QString> menuString, execInterface;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class AddItemCloseTest : public testing::TestWithParam<CloseCase> {};

TEST_P(AddItemCloseTest, WritesNameAndCommandOnlyOnOk)
{
    GuiEnvironment env;
    const CloseCase& c = GetParam();
    ClientItem item = kRecord;
    const int result = RunEditor(env, item, [&c](CAddItem& editor) {
        auto& name = Control<QLineEdit>(editor, IDC_NAME);
        Type(name, c.typedName);
        Type(Control<QLineEdit>(editor, IDC_FILEURL), c.typedCommand);
        for (Qt::Key key : c.keys)
            QTest::keyClick(&name, key);
        EXPECT_FALSE(editor.isVisible());
    });
    EXPECT_EQ(result, c.result);
    ClientItem expected = kRecord;
    expected.MenuString = c.menuString.value_or(kRecord.MenuString);
    expected.ExecInterface = c.execInterface.value_or(kRecord.ExecInterface);
    EXPECT_EQ(Fields(item), Fields(expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, AddItemCloseTest, testing::Values(
    CloseCase{"ok_cuts_command_to_259", "Editor", QString(300, u'c'), {Qt::Key_Return}, QDialog::Accepted,
              "Editor", QString(259, u'c')},
    CloseCase{"ok_keeps_untyped_name", {}, "kate", {Qt::Key_Return}, QDialog::Accepted, "Notes", "kate"},
    CloseCase{"empty_name_stays_open", "", {}, {Qt::Key_Return, Qt::Key_Escape}, QDialog::Rejected, {}, {}},
    CloseCase{"empty_command_stays_open", {}, "", {Qt::Key_Return, Qt::Key_Escape}, QDialog::Rejected, {}, {}},
    CloseCase{"escape_keeps_record", "Editor", "kate", {Qt::Key_Escape}, QDialog::Rejected, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BrowseCase {
    const char* name;
    const char* command;
    // The file picked; nullptr cancels the file dialog.
    const char* picked;
    const char* directory;
    const char* preselected;
    const char* commandAfter;
};

void PrintTo(const BrowseCase& c, std::ostream* os) { *os << c.name; }

class AddItemBrowseTest : public testing::TestWithParam<BrowseCase> {};

TEST_P(AddItemBrowseTest, PutsPickedFileInQuotesUntilCancel)
{
    GuiEnvironment env;
    const PathFiles files;
    const BrowseCase& c = GetParam();
    ClientItem item{"Notes", files.Resolve(c.command), "", "", "", 0, 0};
    const QWidget* owner = nullptr;
    RunEditor(env, item, [&](CAddItem& editor) {
        owner = &editor;
        auto& command = Control<QLineEdit>(editor, IDC_FILEURL);
        Control<QPushButton>(editor, IDC_BROWSE).click();
        EXPECT_EQ(command.text(), files.Resolve(c.commandAfter));
        Control<QPushButton>(editor, res::IDCANCEL).click();
        EXPECT_FALSE(editor.isVisible());
    }, [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), owner);
        EXPECT_EQ(dialog.windowTitle(), "Edit");
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.directory().path(), files.Resolve(c.directory));
        const QString preselected = files.Resolve(c.preselected);
        EXPECT_EQ(dialog.selectedFiles(), preselected.isEmpty() ? QStringList() : QStringList{preselected});
        if (!c.picked)
            return int(QDialog::Rejected);
        dialog.selectFile(files.Resolve(c.picked));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(item.ExecInterface, files.Resolve(c.command)) << "cancelled after browsing";
}

INSTANTIATE_TEST_SUITE_P(Cases, AddItemBrowseTest, testing::Values(
    BrowseCase{"empty_box_cancelled", "", nullptr, "/usr/bin", "", ""},
    BrowseCase{"start_name_replaced", "\"{dir}/my app\" -x", "{dir}/tool", "{dir}", "{dir}/my app", "\"{dir}/tool\""},
    BrowseCase{"url_not_preselected", "https://example.com", "{dir}/my app", "/usr/bin", "", "\"{dir}/my app\""},
    BrowseCase{"missing_pick_keeps_box", "%QSCUST_DIR%/tool", "{dir}/missing", "{dir}", "{dir}/tool",
               "%QSCUST_DIR%/tool"},
    BrowseCase{"cancel_keeps_box", "{dir}/tool", nullptr, "{dir}", "{dir}/tool", "{dir}/tool"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
