#include "app/CustomizerApp.h"

#include "app/LanguageLibrary.h"
#include "app/Modal.h"
#include "app/ProcessState.h"
#include "app/QsCustSheet.h"
#include "app/Settings.h"
#include "app/ShellServices.h"
#include "app/StringTable.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

bool NotifiesClient(int result)
{
    return result == IDOK || (result == IDCANCEL && app::SettingsWritten() != 0);
}

} // namespace

CCustomizerApp::CCustomizerApp() = default;

bool CCustomizerApp::InitInstance()
{
    app::ShellServices& services = app::Services();
    m_lastResult = 0;
    // A second copy ends silently and leaves the first where it is.
    if (services.CreateInstanceMutex() == platform::InstanceLock::Result::AlreadyExists)
        return false;
    if (settings::GetPolicyDword(QStringLiteral("DisableCustomize")) == 1)
        return false;

    const std::unique_ptr<QTranslator> language = app::LoadLanguageDll(
        services.UserDefaultUILanguage(), services.ProgramFolder(), app::kLanguageLibraryName);
    res::SetLanguageLibrary(language.get());
    // The toolkit's own texts (the sheet's OK and Cancel) follow the desktop's language.
    QTranslator toolkit;
    if (toolkit.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkit);

    m_wnd.Create();
    settings::SetManagedMode(settings::DetectManagedMode());

    {
        CQsCustSheet sheet(res::LoadResString(res::IDS_CAPTION));
        const int result = ui::ExecModal(sheet);
        m_lastResult = result == QDialog::Accepted ? IDOK : IDCANCEL;
    }
    // Close request first, then the event, both before the lock is released.
    if (NotifiesClient(m_lastResult)) {
        services.CloseClientWindow();
        services.SignalClientUpdate();
    }
    m_wnd.DestroyWindow();
    res::SetLanguageLibrary(nullptr);
    services.ReleaseInstanceMutex();
    return false;
}
