#include "settings/LanguageLibrary.h"
#include "settings/StringTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// The German library built beside the program.
const QString kGermanLibrary = QStringLiteral(QSCUST_PROGRAM_DIR "/GR/QSCustR.dll");

struct FolderCase {
    const char* name;
    platform::LANGID language;
    QStringList foldersWithLibrary;
    bool loaded;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class LanguageFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(LanguageFolderTest, LoadsFromTheLanguageFolderThenUs)
{
    const FolderCase& c = GetParam();
    QTemporaryDir program;
    for (const QString& folder : c.foldersWithLibrary) {
        QDir(program.path()).mkdir(folder);
        ASSERT_TRUE(QFile::copy(kGermanLibrary, program.filePath(folder + "/QSCustR.dll")));
    }
    // A damaged file in a folder the language does not choose must not matter.
    QDir(program.path()).mkdir("XX");
    QFile junk(program.filePath("XX/QSCustR.dll"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a translation");
    junk.close();
    EXPECT_EQ(app::LoadLanguageDll(c.language, program.path(), app::kLanguageLibraryName) != nullptr, c.loaded);
}

INSTANTIATE_TEST_SUITE_P(Folders, LanguageFolderTest,
    testing::Values(FolderCase{"taiwan_TC", 0x0404, {"TC"}, true},
                    FolderCase{"hongkong_not_TC", 0x0C04, {"TC"}, false},
                    FolderCase{"hongkong_US", 0x0C04, {"US"}, true},
                    FolderCase{"portugal_not_BR", 0x0816, {"BR"}, false},
                    FolderCase{"brazil_BR", 0x0416, {"BR"}, true},
                    FolderCase{"german_falls_back_to_US", 0x0407, {"US"}, true},
                    FolderCase{"english_US", 0x0409, {"US"}, true},
                    FolderCase{"nothing_anywhere", 0x0407, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageFolderTest, DamagedLibraryIsNotLoaded)
{
    QTemporaryDir program;
    QDir(program.path()).mkdir("US");
    QFile junk(program.filePath("US/QSCustR.dll"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(300, '\xff'));
    junk.close();
    EXPECT_EQ(app::LoadLanguageDll(0x0409, program.path(), app::kLanguageLibraryName), nullptr);
}

// Every text of the program has its German counterpart, and a loaded library replaces the
// built-in texts.
TEST(GermanLibrary, TranslatesEveryText)
{
    QTemporaryDir program;
    QDir(program.path()).mkdir("GR");
    ASSERT_TRUE(QFile::copy(kGermanLibrary, program.filePath("GR/QSCustR.dll")));
    const auto library = app::LoadLanguageDll(0x0407, program.path(), app::kLanguageLibraryName);
    ASSERT_NE(library, nullptr);
    for (const res::BuiltInText& text : res::BuiltInTexts()) {
        const QString german = library->translate(text.context.constData(), text.key.constData());
        EXPECT_FALSE(german.isEmpty()) << text.context.constData() << "/" << text.key.constData();
        EXPECT_EQ(german.count("%d"), text.text.count("%d")) << text.key.constData();
    }
    res::SetLanguageLibrary(library.get());
    EXPECT_EQ(res::LoadResString(res::IDS_CAPTION), "Nesterly Anpassungsprogramm");
    EXPECT_EQ(res::LoadDialogText(res::IDD_BUTTONLIGHT, res::IDC_CAPTION), "Tastenbeleuchtung");
    EXPECT_EQ(res::LoadResString(18990), "") << "a library without the string leaves it empty";
    res::SetLanguageLibrary(nullptr);
    EXPECT_EQ(res::LoadResString(res::IDS_CAPTION), "Nesterly Customization Utility");
}

} // namespace
