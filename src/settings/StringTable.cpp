#include "settings/StringTable.h"

#include <QTranslator>

#include <map>
#include <utility>

namespace res {
namespace {

const QTranslator* g_library = nullptr;

const std::map<unsigned, const char16_t*>& Strings()
{
    static const std::map<unsigned, const char16_t*> table{
        {IDS_ITEM, u"Item"},
        {IDS_CAPTION, u"Nesterly Customization Utility"},
        {IDS_CATEGORY_MAINTENANCE, u"Maintenance"},
        {IDS_CATEGORY_WIRELESS, u"Wireless"},
        {IDS_CATEGORY_DEVICE_CONFIGURATION, u"Device Configuration"},
        {IDS_CATEGORY_SYSTEM_MIGRATION, u"System Migration"},
        {IDS_CATEGORY_SECURITY, u"Security, Protection and Recovery"},
        {IDS_CATEGORY_HELP, u"Help and Support"},
        {IDS_CATEGORY_OTHERS, u"Others"},
        {IDS_NEW, u"New"},
        {IDS_EDIT, u"Edit"},
        {IDS_SCHEME_DEFAULT_BLACK, u"Default - Black"},
        {IDS_SCHEME_DEFAULT_WHITE, u"Default - White"},
        {IDS_SCHEME_USING, u"(Using)"},
        {IDS_SCHEME_EDIT_HEADING, u"Edit a customized scheme with the options below."},
        {IDS_PICTURE_FILES, u"Picture Files"},
        {IDS_QUICKLINK_EDIT_PROMPT, u"Change the name or the file of the Quick Link."},
        {IDS_MAX_QUICKLINKS, u"A maximum of %d Quick Links can be selected. Uncheck one of the "
                             u"current selections and then retry your choice."},
        {IDS_CATEGORY_MULTIMEDIA, u"Multimedia Management"},
        {IDS_CATEGORY_TECHNOLOGIES, u"Mostrel Technologies"},
        {IDS_LIGHT_ON, u"Light on (no blink)"},
        {IDS_CATEGORY_COMMUNICATION, u"Communication and Networking"},
        {IDS_CATEGORY_SMALL_BUSINESS, u"Small Business Essentials"},
        {IDS_BLINK_LOW, u"Low priority blink"},
        {IDS_BLINK_MEDIUM, u"Medium priority blink"},
        {IDS_BLINK_HIGH, u"High priority blink"},
        {IDS_FUNCTION_NONE, u"none"},
        {IDS_DELETE_FEED_QUESTION, u"Are you sure you want to delete the selected feed?"},
        {IDS_OPML_FILE, u"OPML File"},
        {IDS_IMPORT, u"Import"},
        {IDS_INVALID_FEED, u"This link does not contain the valid RSS Feed."},
        {IDS_DELETE, u"Delete"},
        {IDS_DUPLICATE_NAME, u"This name has already been registered."},
        {IDS_SAVE_FAILED, u"Some settings could not be saved and were left as they were.\n%1"},
        {IDS_MACHINE_STORE_UNREADABLE,
         u"The machine settings cannot be read: %1\nAn administrator can recover them: run "
         u"talven-reg as root, for example \"talven-reg query HKLM\", which rolls back an "
         u"interrupted write."},
        {IDS_MOVE_UP, u"Move up"},
        {IDS_MOVE_DOWN, u"Move down"},
        {IDS_QUICKLINK_FIXED, u"Always shown by the client; cannot be unchecked"},
        {IDS_QUICKLINKS_LAYOUT_READ_ONLY, u"The client's current layout does not let these Quick Links be changed."},
        {IDS_QUICKLINKS_ADMIN_LOCK, u"Only an administrator can change these Quick Links."},
        {IDS_QUICKLINKS_ELEVATED, u"Your own Quick Links can be changed only when the utility runs as you."},
        {IDS_QUICKLINKS_UNREADABLE, u"The stored list cannot be read, so it is shown read-only and kept as it is."},
        {IDS_QUICKLINKS_TOO_LONG, u"The stored list has more entries than can be saved, so it is shown read-only."},
        {IDS_QUICKLINKS_NO_ORDER_KEY, u"The client has not created its Quick Links list yet, so it cannot be changed."},
        {IDS_QUICKLINKS_FULL, u"The list is full: delete an entry before adding a new one."},
        // Button light page.
        {IDS_BUTTONLIGHT_UNREADABLE, u"The stored button light settings cannot be read, so they are shown read-only and kept as they are."},
        {IDS_BUTTONLIGHT_POLICY_OFF, u"Your administrator has switched the button light off."},
        {IDS_BUTTONLIGHT_NO_DEVICE, u"No button light was found, so its default state and indication cannot be set or previewed."},
        // The Resource Center page.
        {IDS_RESOURCECENTER_UNREADABLE, u"The stored categories cannot be read, so they are kept as they are."},
        {IDS_RESOURCECENTER_TOO_LONG, u"The stored list has more entries than can be saved, so it is kept as it is."},
        {IDS_RESOURCECENTER_LAYOUT, u"The client lays out this Resource Center itself: its categories are only shown here."},
        {IDS_RESOURCECENTER_NLS, u"In this language setting the client shows every category: changes are not saved."},
        // The Message Center page and its feed editor.
        {messagecenter::IDS_FEED_KEPT, u"Kept as stored: its values could not be read whole"},
        {messagecenter::IDS_FEED_CHECKING, u"Checking the feed..."},
        {messagecenter::IDS_FEEDS_UNREADABLE, u"The stored feeds cannot be read, so they are shown read-only and kept as they are."},
        {messagecenter::IDS_RSS_ICON, u"RSS feed icon"},
        {messagecenter::IDS_FEED_NAME_UNFIT, u"A name can have at most 255 characters and no backslash (\\)."},
        {messagecenter::IDS_IMPORT_DONE, u"Feeds added by the import: %1. Click OK to keep them."},
        {messagecenter::IDS_IMPORT_FAILED, u"No feeds could be imported."},
        // The Appearance page and its scheme editor.
        {appearance::IDS_SCHEME_PREVIEW, u"Preview of the selected scheme"},
        {appearance::IDS_SCHEME_MASTHEAD, u"Mostrel"},
        {appearance::IDS_SCHEMES_UNREADABLE, u"The stored schemes cannot be read, so they are shown read-only and kept as they are."},
        {appearance::IDS_SCHEME_UNREADABLE, u"This scheme's stored values cannot be read, so it cannot be edited or deleted."},
        {appearance::IDS_SCHEMES_ADMIN_LOCK, u"Only an administrator can change the color schemes."},
        {appearance::IDS_SCHEMES_MANAGED, u"The color schemes are set by your administrator."},
        {appearance::IDS_SCHEMES_ELEVATED, u"Your own color schemes can be changed only when the utility runs as you."},
        {appearance::IDS_SCHEME_LIST, u"Color schemes"},
    };
    return table;
}

constexpr const char16_t* kAdminOnly =
    u"Allow only users with Administrator &privileges to modify settings";

using DialogTexts = std::map<std::pair<unsigned, int>, const char16_t*>;

const DialogTexts& Dialogs()
{
    static const DialogTexts table{
        {{IDD_QUICKLINKS, IDC_CAPTION}, u"Quick Links"},
        {{IDD_QUICKLINKS, quicklinks::IDC_INTRO},
         u"Select up to %d of your most frequently used tasks or create your own entry by "
         u"clicking \"New\"."},
        {{IDD_QUICKLINKS, quicklinks::IDC_LIST_LABEL}, u"&Quick Links contents:"},
        {{IDD_QUICKLINKS, quicklinks::IDC_NEW}, u"&New..."},
        {{IDD_QUICKLINKS, quicklinks::IDC_EDIT}, u"&Edit..."},
        {{IDD_QUICKLINKS, quicklinks::IDC_DELETE}, u"&Delete"},
        {{IDD_QUICKLINKS, IDC_HIDE}, u"&Hide Quick Links"},
        {{IDD_QUICKLINKS, IDC_ADMINONLY}, kAdminOnly},

        {{IDD_RESOURCECENTER, IDC_CAPTION}, u"Resource Center"},
        {{IDD_RESOURCECENTER, IDC_INTRO},
         u"Select the task categories to include in the Resource Center."},
        {{IDD_RESOURCECENTER, resourcecenter::IDC_LIST_LABEL}, u"&Resource Center contents:"},
        {{IDD_RESOURCECENTER, IDC_HIDE}, u"&Hide Resource Center"},
        {{IDD_RESOURCECENTER, IDC_ADMINONLY}, kAdminOnly},

        {{IDD_MESSAGECENTER, IDC_CAPTION}, u"Message Center"},
        {{IDD_MESSAGECENTER, messagecenter::IDC_SHOW_MESSAGES}, u"Display &Message Center message"},
        {{IDD_MESSAGECENTER, IDC_INTRO},
         u"The Message Center provides information about events, performance issues, and other "
         u"information that could impact the operating health of your computer."},
        {{IDD_MESSAGECENTER, messagecenter::IDC_SHOW_RSS}, u"Display &RSS"},
        {{IDD_MESSAGECENTER, IDC_INTRO2},
         u"RSS makes it possible to keep up with your favorite web sites automatically. To use "
         u"RSS, look for the following RSS feed icon on each web site and drag it to the list "
         u"below."},
        {{IDD_MESSAGECENTER, messagecenter::IDC_FEEDS_LABEL}, u"RSS &Feeds"},
        {{IDD_MESSAGECENTER, messagecenter::IDC_NEW}, u"&New..."},
        {{IDD_MESSAGECENTER, messagecenter::IDC_EDIT}, u"&Edit..."},
        {{IDD_MESSAGECENTER, messagecenter::IDC_DELETE}, u"&Delete"},
        {{IDD_MESSAGECENTER, messagecenter::IDC_IMPORT}, u"&Import..."},
        {{IDD_MESSAGECENTER, IDC_HIDE}, u"&Hide Message Center"},
        {{IDD_MESSAGECENTER, IDC_ADMINONLY}, kAdminOnly},

        {{IDD_APPEARANCE, IDC_CAPTION}, u"Appearance"},
        {{IDD_APPEARANCE, IDC_INTRO},
         u"Select from the following color schemes or create a customized scheme by clicking "
         u"\"New\"."},
        {{IDD_APPEARANCE, appearance::IDC_NEW}, u"&New..."},
        {{IDD_APPEARANCE, appearance::IDC_EDIT}, u"&Edit..."},
        {{IDD_APPEARANCE, appearance::IDC_DELETE}, u"&Delete"},
        {{IDD_APPEARANCE, appearance::IDC_APPLY}, u"&Apply"},
        {{IDD_APPEARANCE, IDC_ADMINONLY}, kAdminOnly},

        // The Quick Link editor takes its title from the string table.
        {{IDD_ADDITEM, additem::IDC_PROMPT}, u"Type a name of the new Quick Link."},
        {{IDD_ADDITEM, additem::IDC_NAME_LABEL}, u"&Name of Quick Link:"},
        {{IDD_ADDITEM, additem::IDC_FILEURL_LABEL}, u"&File/URL:"},
        {{IDD_ADDITEM, additem::IDC_BROWSE}, u"&Browse..."},
        {{IDD_ADDITEM, additem::IDC_HINT},
         u"Enter a file name, for example: \"C:\\FolderName\\FileName.exe\" -option"},
        {{IDD_ADDITEM, IDOK}, u"&OK"},
        {{IDD_ADDITEM, IDCANCEL}, u"&Cancel"},

        {{IDD_BUTTONLIGHT, IDC_CAPTION}, u"Button light"},
        {{IDD_BUTTONLIGHT, IDC_INTRO},
         u"Configure the Mostrel button light to suit your preferences."},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_DEFAULT_GROUP}, u"Default Setting"},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_LIGHT_ON}, u"Button light o&n"},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_LIGHT_OFF}, u"Button light o&ff"},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_INDICATION_GROUP}, u"Light indication"},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_INDICATION_FOR_LABEL}, u"Provide &indication for:"},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_SETTINGS}, u"&Settings..."},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_INDICATION_TYPE_LABEL}, u"Indication &type:"},
        {{IDD_BUTTONLIGHT, buttonlight::IDC_PREVIEW}, u"Pre&view"},
        {{IDD_BUTTONLIGHT, IDC_ADMINONLY}, kAdminOnly},

        // The scheme editor takes its title from the string table.
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_HEADING}, u"Create a customized scheme with the options below."},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_NAME_LABEL}, u"&Name of scheme:"},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_MASTHEAD}, u"&Show Mostrel Masthead"},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_FONT_LABEL}, u"&Font color:"},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_BACKCOLOR_LABEL}, u"&Background color:"},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_PRIMARY_LABEL}, u"Primary background &image:"},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_BROWSE_PRIMARY}, u"B&rowse..."},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_SECONDARY_LABEL}, u"Secondary background i&mage:"},
        {{appearance::IDD_CREATESCHEME, appearance::createscheme::IDC_BROWSE_SECONDARY}, u"Bro&wse..."},
        {{appearance::IDD_CREATESCHEME, IDOK}, u"&OK"},
        {{appearance::IDD_CREATESCHEME, IDCANCEL}, u"&Cancel"},

        {{IDD_CONFIRM_ELEVATION, IDC_CAPTION}, u"Nesterly Customization Utility"},
        {{IDD_CONFIRM_ELEVATION, confirm_elevation::IDC_EXPLANATION},
         u"This action requires administrator access to continue. Click \"Continue\" to enable "
         u"your administrator privileges."},
        {{IDD_CONFIRM_ELEVATION, confirm_elevation::IDC_WARNING},
         u"Warning:\nEnabling your administrator privileges will cancel out the changes you "
         u"already made in this session."},
        {{IDD_CONFIRM_ELEVATION, confirm_elevation::IDC_CONTINUE}, u"C&ontinue..."},
        {{IDD_CONFIRM_ELEVATION, IDCANCEL}, u"&Cancel"},

        // The Message Center's feed editor takes its title from the string table.
        {{messagecenter::IDD_ADDRSSITEM, messagecenter::IDC_FEED_PROMPT}, u"Type a name and URL of RSS Feed."},
        {{messagecenter::IDD_ADDRSSITEM, messagecenter::IDC_FEED_NAME_LABEL}, u"&Name:"},
        {{messagecenter::IDD_ADDRSSITEM, messagecenter::IDC_FEED_XMLURL_LABEL}, u"URL of &RSS Feed:"},
        {{messagecenter::IDD_ADDRSSITEM, messagecenter::IDC_FEED_HTMLURL_LABEL}, u"URL of &HTML Page(Optional):"},
        {{messagecenter::IDD_ADDRSSITEM, IDOK}, u"&OK"},
        {{messagecenter::IDD_ADDRSSITEM, IDCANCEL}, u"&Cancel"},

        {{messagecenter::IDD_IMPORTRSSFEEDS, IDC_CAPTION}, u"Import"},
        {{messagecenter::IDD_IMPORTRSSFEEDS, messagecenter::IDC_IMPORT_PROMPT}, u"Choose the method of importing RSS Feeds:"},
        {{messagecenter::IDD_IMPORTRSSFEEDS, messagecenter::IDC_IMPORT_BROWSER}, u"Import from Internet &Explorer"},
        {{messagecenter::IDD_IMPORTRSSFEEDS, messagecenter::IDC_IMPORT_OPML}, u"Import from OP&ML File"},
        {{messagecenter::IDD_IMPORTRSSFEEDS, IDOK}, u"&OK"},
        {{messagecenter::IDD_IMPORTRSSFEEDS, IDCANCEL}, u"&Cancel"},
    };
    return table;
}

QByteArray ControlKey(int controlId) { return QByteArray::number(controlId); }

// A translator answers "" for keys it does not hold.
QString FromLibrary(const char* context, const QByteArray& key)
{
    return g_library ? g_library->translate(context, key.constData()) : QString();
}

} // namespace

QByteArray DialogContext(unsigned dialogId) { return "dialog" + QByteArray::number(dialogId); }

QString LoadResString(unsigned id)
{
    if (g_library)
        return FromLibrary(kStringContext, QByteArray::number(id));
    const auto it = Strings().find(id);
    return it == Strings().end() ? QString() : QString::fromUtf16(it->second);
}

QString LoadDialogText(unsigned dialogId, int controlId)
{
    if (g_library)
        return FromLibrary(DialogContext(dialogId).constData(), ControlKey(controlId));
    const auto it = Dialogs().find({dialogId, controlId});
    return it == Dialogs().end() ? QString() : QString::fromUtf16(it->second);
}

void SetLanguageLibrary(const QTranslator* library) { g_library = library; }

std::vector<BuiltInText> BuiltInTexts()
{
    std::vector<BuiltInText> texts;
    for (const auto& [id, text] : Strings())
        texts.push_back({kStringContext, QByteArray::number(id), QString::fromUtf16(text)});
    for (const auto& [key, text] : Dialogs())
        texts.push_back({DialogContext(key.first), ControlKey(key.second), QString::fromUtf16(text)});
    return texts;
}

} // namespace res
