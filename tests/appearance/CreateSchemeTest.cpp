#include "GuiTest.h"
#include "SchemeFixture.h"
#include "appearance/ColorSwatch.h"
#include "appearance/CreateScheme.h"
#include "pagekit/Controls.h"
#include "settings/ResourceIds.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace fixture;
using namespace res::appearance::createscheme;

namespace {

QLineEdit* Edit(QWidget* parent, int id) { return static_cast<QLineEdit*>(ui::FindControl(parent, id)); }

// Pictures and folders; "@x" names "<folder>/x".
struct Pictures {
    Pictures()
    {
        for (const char* name : {"pic.png", "pic.jpeg", "PIC.JPG"})
            Touch(dir.filePath(name));
        QDir(dir.path()).mkpath("folder.gif");
    }
    QString At(const char* text) const { return text && text[0] == '@' ? dir.filePath(text + 1) : QString::fromUtf8(text); }
    QTemporaryDir dir;
};

struct EditorCase {
    const char* name;
    // Edit "Mine" (primary @pic.jpeg, secondary gone) instead of a new scheme.
    bool edit;
    // Typed in this order: primary, name, secondary; or the name first. nullptr types nothing.
    bool nameFirst;
    const char *typedName, *primary, *secondary;
    bool okEnabled, closes;
};

void PrintTo(const EditorCase& c, std::ostream* os) { *os << c.name; }

const EditorCase kEditorCases[] = {
    {"new_is_empty", false, false, nullptr, nullptr, nullptr, false, false},
    {"name_and_picture_in_capitals", false, true, "Dusk", "@PIC.JPG", nullptr, true, true},
    {"name_then_jpeg_disables", false, true, "Dusk", "@pic.jpeg", nullptr, false, false},
    {"jpeg_then_name_enables", false, false, "Dusk", "@pic.jpeg", nullptr, true, true},
    {"missing_picture_enabled_by_name_stays_open", false, false, "Dusk", "@gone.png", nullptr, true, false},
    {"backslash_in_name", false, false, "a\\b", "@pic.png", nullptr, false, false},
    {"slash_in_name", false, true, "a/b", "@pic.png", nullptr, false, false},
    {"secondary_folder_stays_open", false, true, "Dusk", "@pic.png", "@folder.gif", true, false},
    {"secondary_file", false, true, "Dusk", "@pic.png", "@pic.jpeg", true, true},
    {"edit_decided_by_the_name_rule", true, false, nullptr, nullptr, nullptr, true, true},
};

class CreateSchemeRules : public testing::TestWithParam<EditorCase> {};

TEST_P(CreateSchemeRules, OkEnablesAndCloses)
{
    const EditorCase& c = GetParam();
    GuiEnvironment env;
    Pictures pictures;
    SchemeItem item;
    if (c.edit)
        item = {0, 0, pictures.At("@pic.jpeg"), pictures.At("@gone.png"), 0, "Mine", {}, 0, false};
    CCreateScheme editor(item);
    editor.OnInitDialog();
    for (auto [id, text] : {std::pair{IDC_NAME, c.nameFirst ? c.typedName : nullptr}, {IDC_PRIMARY, c.primary},
                            {IDC_NAME, c.nameFirst ? nullptr : c.typedName}, {IDC_SECONDARY, c.secondary}}) {
        if (text)
            Edit(&editor, id)->setText(pictures.At(text));
    }
    EXPECT_EQ(ui::FindControl(&editor, res::IDOK)->isEnabled(), c.okEnabled);
    EXPECT_EQ(Edit(&editor, IDC_NAME)->isReadOnly(), c.edit);
    static_cast<QPushButton*>(ui::FindControl(&editor, res::IDOK))->click();
    EXPECT_EQ(editor.result() == QDialog::Accepted, c.closes);
    const QString key = kRoot + u'\\' + (c.edit ? "Mine" : c.typedName ? c.typedName : "");
    EXPECT_EQ(ReadBytes(reg::HKEY_CURRENT_USER, key, "BgImage").has_value(), c.closes);
    if (c.edit) {
        EXPECT_EQ(ReadBytes(reg::HKEY_CURRENT_USER, key, "BgImageOSD"), QByteArray(2, '\0'));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CreateSchemeRules, testing::ValuesIn(kEditorCases),
                         [](const testing::TestParamInfo<EditorCase>& info) { return std::string(info.param.name); });

// A new scheme starts white; the name stops at 32 characters; a refused pick leaves the box; a
// cancelled colour is not taken, but each swatch keeps the custom colours of its chooser.
TEST(CreateSchemeChoosers, PicksAreCheckedAndCustomColoursKeptPerSwatch)
{
    GuiEnvironment env;
    Pictures pictures;
    CCreateScheme editor{SchemeItem{}};
    editor.OnInitDialog();
    EXPECT_EQ(static_cast<ColorSwatch*>(ui::FindControl(&editor, IDC_FONTCOLOR))->Color(), QColor(Qt::white));
    QTest::keyClicks(Edit(&editor, IDC_NAME), QString(40, 'n'));
    EXPECT_EQ(Edit(&editor, IDC_NAME)->text().size(), 32);
    QList<QRgb> customAtOpen;
    env.setModalHandler([&](QDialog& dialog) -> int {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            files->selectFile(pictures.At("@pic.jpeg"));
            return QDialog::Accepted;
        }
        customAtOpen << QColorDialog::customColor(0).rgb();
        QColorDialog::setCustomColor(0, Qt::red);
        static_cast<QColorDialog&>(dialog).setCurrentColor(Qt::blue);
        return QDialog::Rejected;
    });
    Edit(&editor, IDC_PRIMARY)->setText("typed");
    editor.OnBnClickedBrowsePrimary();
    EXPECT_EQ(Edit(&editor, IDC_PRIMARY)->text(), "typed");
    for (int swatch : {IDC_FONTCOLOR, IDC_FONTCOLOR, IDC_BACKCOLOR})
        swatch == IDC_FONTCOLOR ? editor.OnBnClickedFontColor() : editor.OnBnClickedBackColor();
    EXPECT_EQ(customAtOpen, QList<QRgb>({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 0)}));
    EXPECT_EQ(editor.Scheme().FgColor, 0xFFFFFFu);
}

} // namespace
