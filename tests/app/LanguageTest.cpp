#include "settings/LanguageLibrary.h"
#include "settings/StringTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// The German library built beside the program.
QByteArray German()
{
    QFile file(QStringLiteral(QSCUST_PROGRAM_DIR "/GR/QSCustR.dll"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PutFile(const QTemporaryDir& program, const QString& folder, const QByteArray& bytes)
{
    QFile file(program.filePath(folder + "/QSCustR.dll"));
    ASSERT_TRUE(QDir(program.path()).mkdir(folder) && file.open(QIODevice::WriteOnly));
    file.write(bytes.isEmpty() ? German() : bytes);
}

// The library comes from the language's folder, else from US; a damaged file is never loaded.
TEST(LanguageFolderTest, LoadsFromTheLanguageFolderThenUs)
{
    const struct { platform::LANGID language; const char* folder; QByteArray bytes; bool loaded; } cases[] = {
        {0x0404, "TC", {}, true},
        {0x0C04, "TC", {}, false},
        {0x0416, "BR", {}, true},
        {0x0407, "US", {}, true},
        {0x0407, nullptr, {}, false},
        {0x0409, "US", QByteArray(300, '\xff'), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.language << " " << (c.folder ? c.folder : "-"));
        QTemporaryDir program;
        if (c.folder)
            PutFile(program, c.folder, c.bytes);
        // A damaged file in a folder the language does not choose must not matter.
        PutFile(program, "XX", "not a translation");
        EXPECT_EQ(app::LoadLanguageDll(c.language, program.path(), app::kLanguageLibraryName) != nullptr, c.loaded);
    }
}

// Every text of the program has its German counterpart, and a loaded library replaces the
// built-in texts.
TEST(GermanLibrary, TranslatesEveryText)
{
    const auto library = app::LoadLanguageDll(0x0407, QSCUST_PROGRAM_DIR, app::kLanguageLibraryName);
    ASSERT_NE(library, nullptr);
    for (const res::BuiltInText& text : res::BuiltInTexts()) {
        const QString german = library->translate(text.context.constData(), text.key.constData());
        EXPECT_FALSE(german.isEmpty()) << text.context.constData() << "/" << text.key.constData();
        EXPECT_EQ(german.count("%d"), text.text.count("%d")) << text.key.constData();
    }
    res::SetLanguageLibrary(library.get());
    EXPECT_EQ(res::LoadResString(res::IDS_CAPTION), "Nesterly Anpassungsprogramm");
    res::SetLanguageLibrary(nullptr);
    EXPECT_EQ(res::LoadResString(res::IDS_CAPTION), "Nesterly Customization Utility");
}

} // namespace
