#include "GuiTest.h"
#include "pagekit/Controls.h"
#include "quicklinks/AddItem.h"
#include "quicklinks/ClientItem.h"
#include "quicklinks/FilePath.h"
#include "settings/StringTable.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <tuple>

namespace {

using namespace res::additem;

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

TEST(FilePath, WhatACommandNames)
{
    const PathFiles files;
    const struct {
        const char* name;
        QString (*function)(const QString&);
        const char* text;
        const char* expected;
    } cases[] = {
        {"url_scheme_chars", UrlOrPath, "svn+ssh.2-x:host", "url"},
        {"drive_letter_is_no_scheme", UrlOrPath, "C:\\Tools\\x.exe", "path"},
        {"scheme_starts_with_letter", UrlOrPath, "1ab:c", "path"},
        {"unknown_and_lone_percent_stay", ql::ExpandEnvironmentStrings, "5% %QSCUST_NONE% %%x", "5% %QSCUST_NONE% %%x"},
        {"260_characters_are_kept", ql::ExpandEnvironmentStrings, "{long}x", "{long}x"},
        {"open_quote_loses_trailing_blanks", ql::PathRemoveArgs, "\"a b  ", "\"a b"},
        {"quoted_variable_with_args", ql::CheckFilePath, "\"%QSCUST_DIR%/my app\" -option", "{dir}/my app"},
        {"blank_from_variable_cuts", ql::CheckFilePath, "%QSCUST_SPACED%", ""},
        {"text_cut_to_259", ql::CheckFilePath, "{long}x", "{long}"},
        {"failed_expansion_names_nothing", ql::CheckFilePath, "{dir}/tool %QSCUST_LONG%", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.function(files.Resolve(c.text)), files.Resolve(c.expected)) << c.name;
}

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

auto Fields(const ClientItem& item)
{
    return std::tie(item.MenuString, item.ExecInterface, item.KeyPath, item.KeyName, item.OrderId, item.Category,
                    item.ExecInterfaceType);
}

// Runs the editor on item: body acts on it once shown.
int RunEditor(GuiEnvironment& env, ClientItem& item, std::function<void(CAddItem&)> body)
{
    env.setModalHandler(ShowAndRun([body](QDialog& d) { body(static_cast<CAddItem&>(d)); }));
    CAddItem editor(item);
    return editor.DoModal();
}

struct EditorCase {
    const char* name;
    ClientItem item;
    std::optional<QString> typedName, typedCommand;
    // Whether the editor opens as "Edit" with its prompt, rather than as "New".
    bool edit;
    QString nameBox, commandBox;
    bool okEnabled;
};

void PrintTo(const EditorCase& c, std::ostream* os) { *os << c.name; }

class AddItemTest : public testing::TestWithParam<EditorCase> {};

// Return closes with OK only while both boxes hold text, and OK writes only the name and the
// command, cut to 259 characters.
TEST_P(AddItemTest, BoxesAndReturn)
{
    GuiEnvironment env;
    const EditorCase& c = GetParam();
    ClientItem item = c.item;
    const int result = RunEditor(env, item, [&c](CAddItem& editor) {
        auto& name = Control<QLineEdit>(editor, IDC_NAME);
        auto& command = Control<QLineEdit>(editor, IDC_FILEURL);
        Type(name, c.typedName);
        Type(command, c.typedCommand);
        EXPECT_EQ(editor.windowTitle(), c.edit ? "Edit" : "New");
        EXPECT_EQ(Control<QLabel>(editor, IDC_PROMPT).text(), c.edit ? "Change the name or the file of the Quick Link."
                                                                     : "Type a name of the new Quick Link.");
        EXPECT_EQ(name.text(), c.nameBox);
        EXPECT_EQ(command.text(), c.commandBox);
        EXPECT_EQ(Control<QPushButton>(editor, res::IDOK).isEnabled(), c.okEnabled);
        EXPECT_GE(command.width(), name.width()) << "a command line is the longer text";
        QTest::keyClick(&name, Qt::Key_Return);
        EXPECT_EQ(editor.isVisible(), !c.okEnabled);
        if (editor.isVisible())
            editor.reject();
    });
    EXPECT_EQ(result, c.okEnabled ? QDialog::Accepted : QDialog::Rejected);
    ClientItem expected = c.item;
    if (c.okEnabled) {
        expected.MenuString = c.nameBox;
        expected.ExecInterface = c.commandBox.left(259);
    }
    EXPECT_EQ(Fields(item), Fields(expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, AddItemTest, testing::Values(
    EditorCase{"new_opens_empty", {}, {}, {}, false, "", "", false},
    EditorCase{"typing_stops_at_32_and_260", {}, QString(40, u'n'), QString(300, u'c'), false, QString(32, u'n'),
               QString(260, u'c'), true},
    EditorCase{"longer_stored_name_replaced_by_typing", {QString(40, u'n'), "gedit", "", "", "", 0, 0},
               QString(40, u'x'), {}, true, QString(32, u'x'), "gedit", true},
    EditorCase{"existing_command_cleared", kRecord, {}, "", true, "Notes", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
