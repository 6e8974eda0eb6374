#include "shell/CustomizerApp.h"

#include "pagekit/Modal.h"
#include "registry/StoreConfig.h"
#include "settings/LanguageLibrary.h"
#include "settings/Settings.h"
#include "settings/SettingsWritten.h"
#include "settings/ShellServices.h"
#include "settings/StringTable.h"
#include "shell/QsCustSheet.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// After OK the client is told unless every save failed; after Cancel when the Quick Links save
// had written.
bool NotifiesClient(int result, bool nothingSaved)
{
    if (result == IDOK)
        return !nothingSaved;
    return result == IDCANCEL && app::SettingsWritten() != 0;
}

void ShowMachineStoreUnreadable(reg::LSTATUS status)
{
    ui::ShowMessageBox(nullptr, res::LoadResString(res::IDS_MACHINE_STORE_UNREADABLE)
                                    .arg(reg::StoreErrorText(reg::Root::LocalMachine, status)),
                       res::LoadResString(res::IDS_CAPTION), QMessageBox::Critical, QMessageBox::Ok);
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
    // Policy that cannot be read keeps the utility closed as the forbidding policy does, but the
    // user is told why, in the user's language.
    const reg::LSTATUS machineStore = settings::MachineStoreStatus();
    if (machineStore == reg::ERROR_SUCCESS && settings::GetPolicyDword(QStringLiteral("DisableCustomize")) == 1)
        return false;

    const std::unique_ptr<QTranslator> language = app::LoadLanguageDll(
        services.UserDefaultUILanguage(), services.ProgramFolder(), app::kLanguageLibraryName);
    res::SetLanguageLibrary(language.get());
    // The toolkit's own texts (the sheet's OK and Cancel) follow the desktop's language.
    QTranslator toolkit;
    if (toolkit.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkit);

    if (machineStore == reg::ERROR_SUCCESS)
        RunSheet();
    else
        ShowMachineStoreUnreadable(machineStore);
    res::SetLanguageLibrary(nullptr);
    services.ReleaseInstanceMutex();
    return false;
}

void CCustomizerApp::RunSheet()
{
    m_wnd.Create();
    settings::SetManagedMode(settings::DetectManagedMode());
    bool nothingSaved = false;
    {
        CQsCustSheet sheet(res::LoadResString(res::IDS_CAPTION));
        const int result = ui::ExecModal(sheet);
        m_lastResult = result == QDialog::Accepted ? IDOK : IDCANCEL;
        nothingSaved = sheet.NothingSaved();
    }
    // Close request first, then the event, both before the lock is released.
    if (NotifiesClient(m_lastResult, nothingSaved)) {
        app::Services().CloseClientWindow();
        app::Services().SignalClientUpdate();
    }
    m_wnd.DestroyWindow();
}
