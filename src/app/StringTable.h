#pragma once
// The program's texts, addressed by number as resources: the string table and the texts of the
// dialog templates. A loaded language library answers first; the built-in English table is the
// program's own resources.

#include <QString>

#include <vector>

class QTranslator;

namespace res {

// String table ids.
enum StringId : unsigned {
    IDS_ITEM = 140,
    IDS_CAPTION = 141,
    IDS_CATEGORY_MAINTENANCE = 142,
    IDS_CATEGORY_WIRELESS = 143,
    IDS_CATEGORY_DEVICE_CONFIGURATION = 144,
    IDS_CATEGORY_SYSTEM_MIGRATION = 145,
    IDS_CATEGORY_SECURITY = 146,
    IDS_CATEGORY_HELP = 148,
    IDS_CATEGORY_OTHERS = 149,
    IDS_NEW = 150,
    IDS_EDIT = 151,
    IDS_SCHEME_DEFAULT_BLACK = 152,
    IDS_SCHEME_DEFAULT_WHITE = 153,
    IDS_SCHEME_USING = 154,
    IDS_SCHEME_EDIT_HEADING = 155,
    IDS_PICTURE_FILES = 157,
    IDS_QUICKLINK_EDIT_PROMPT = 159,
    IDS_MAX_QUICKLINKS = 161,
    IDS_CATEGORY_MULTIMEDIA = 162,
    IDS_CATEGORY_TECHNOLOGIES = 163,
    IDS_LIGHT_ON = 164,
    IDS_CATEGORY_COMMUNICATION = 165,
    IDS_CATEGORY_SMALL_BUSINESS = 166,
    IDS_BLINK_LOW = 167,
    IDS_BLINK_MEDIUM = 168,
    IDS_BLINK_HIGH = 169,
    IDS_FUNCTION_NONE = 170,
    IDS_DELETE_FEED_QUESTION = 171,
    IDS_OPML_FILE = 172,
    IDS_IMPORT = 173,
    IDS_INVALID_FEED = 175,
    IDS_DELETE = 176,
    IDS_DUPLICATE_NAME = 177,
    IDS_SAVE_FAILED = 180,
    IDS_MACHINE_STORE_UNREADABLE = 181,
    // The Quick Links list's accessible texts and the line that says why it cannot be changed.
    IDS_MOVE_UP = 190,
    IDS_MOVE_DOWN = 191,
    IDS_QUICKLINK_FIXED = 192,
    IDS_QUICKLINKS_LAYOUT_READ_ONLY = 193,
    IDS_QUICKLINKS_ADMIN_LOCK = 194,
    IDS_QUICKLINKS_ELEVATED = 195,
    IDS_QUICKLINKS_UNREADABLE = 196,
    IDS_QUICKLINKS_TOO_LONG = 197,
    IDS_QUICKLINKS_NO_ORDER_KEY = 198,
    IDS_QUICKLINKS_FULL = 199,
};

// Dialog template ids.
enum DialogId : unsigned {
    IDD_QUICKLINKS = 129,
    IDD_RESOURCECENTER = 130,
    IDD_MESSAGECENTER = 131,
    IDD_APPEARANCE = 132,
    IDD_ADDITEM = 141,
    IDD_CONFIRM_ELEVATION = 164,
    IDD_BUTTONLIGHT = 167,
};

// Control ids shared by the page templates; a template's caption is its control 0, and statics
// without an id of their own are numbered from -1 down.
enum ControlId : int {
    IDC_CAPTION = 0,
    IDC_INTRO = -1,
    IDC_INTRO2 = -2,
    IDOK = 1,
    IDCANCEL = 2,
    IDC_HIDE = 1001,
    IDC_ADMINONLY = 1022,
};

// The string, "" when the id is not in the table.
QString LoadResString(unsigned id);
// A control's text in a dialog template, "" when the template has none.
QString LoadDialogText(unsigned dialogId, int controlId);

// Texts are taken from this translator first while it is set; nullptr returns to the program's
// own texts. The caller keeps the translator alive.
void SetLanguageLibrary(const QTranslator* library);

// Translator contexts and source keys under which language libraries hold the texts.
inline constexpr const char* kStringContext = "strings";
QByteArray DialogContext(unsigned dialogId);

struct BuiltInText {
    QByteArray context;
    QByteArray key;
    QString text;
};
// Every built-in text, for checking translation files.
std::vector<BuiltInText> BuiltInTexts();

} // namespace res
