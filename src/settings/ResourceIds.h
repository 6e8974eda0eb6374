#pragma once
// The ids of the program's resources, each defined once: the string table, the dialog templates
// and their controls. The pages, the string table, the language libraries and the tests use them.

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
    // The Button light page's line that says why the light cannot be set or previewed.
    IDS_BUTTONLIGHT_UNREADABLE = 260,
    IDS_BUTTONLIGHT_POLICY_OFF = 261,
    IDS_BUTTONLIGHT_NO_DEVICE = 262,
    // The Resource Center list: the category a language library may name, and the line that says
    // why the list is shown only.
    IDS_CATEGORY_CODE_ZERO = 18990,
    IDS_RESOURCECENTER_UNREADABLE = 200,
    IDS_RESOURCECENTER_TOO_LONG = 201,
    IDS_RESOURCECENTER_LAYOUT = 202,
    IDS_RESOURCECENTER_NLS = 203,
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

// Control ids shared by the templates; a template's caption is its control 0, and statics without
// an id of their own are numbered from -1 down. IDOK and IDCANCEL are also the dialog results.
enum ControlId : int {
    IDC_CAPTION = 0,
    IDC_INTRO = -1,
    IDC_INTRO2 = -2,
    IDOK = 1,
    IDCANCEL = 2,
    IDC_HIDE = 1001,
    IDC_ADMINONLY = 1022,
};

// The controls of each template, in a namespace of its own: the same number means different
// controls in different templates. A page's source takes its template's names with a
// using-directive.
namespace quicklinks {
enum : int {
    IDC_OUTPUTLIST = 1002,
    IDC_ARROWUP = 1004,
    IDC_ARROWDOWN = 1005,
    IDC_NEW = 1008,
    IDC_EDIT = 1009,
    IDC_DELETE = 1010,
    IDC_INTRO = 1055,
    IDC_LIST_LABEL = 1056,
    IDC_LIST_STATUS = 1057,
};
} // namespace quicklinks

namespace resourcecenter {
enum : int { IDC_OUTPUTLIST = 1002, IDC_LIST_LABEL = 1056, IDC_LIST_STATUS = 1057 };
} // namespace resourcecenter

// The Message Center page (template 131) and its feed editor (template 169), with the page's own
// strings.
namespace messagecenter {
enum : int {
    IDC_NEW = 1008,
    IDC_EDIT = 1009,
    IDC_DELETE = 1010,
    IDC_IMPORT = 1012,
    IDC_FEEDLIST = 1047,
    IDC_SHOW_MESSAGES = 1048,
    IDC_SHOW_RSS = 1049,
    IDC_RSS_ICON = 1054,
    IDC_FEEDS_LABEL = 1056,
    IDC_LIST_STATUS = 1057,
};
inline constexpr unsigned IDD_ADDRSSITEM = 169;
enum : int {
    IDC_FEED_PROMPT = -1,
    IDC_FEED_NAME_LABEL = -2,
    IDC_FEED_XMLURL_LABEL = -3,
    IDC_FEED_HTMLURL_LABEL = -4,
    IDC_FEED_NAME = 1051,
    IDC_FEED_XMLURL = 1052,
    IDC_FEED_HTMLURL = 1053,
    IDC_FEED_NAME_HINT = 1058,
    IDC_FEED_STATUS = 1059,
};
enum : unsigned {
    IDS_FEED_KEPT = 210,
    IDS_FEED_CHECKING = 211,
    IDS_FEEDS_UNREADABLE = 212,
    IDS_RSS_ICON = 213,
    IDS_FEED_NAME_UNFIT = 214,
    IDS_IMPORT_DONE = 215,
    IDS_IMPORT_FAILED = 216,
};
// The page's line that tells how the last import ended.
enum : int { IDC_IMPORT_STATUS = 1058 };
// The Import dialog (template 170).
inline constexpr unsigned IDD_IMPORTRSSFEEDS = 170;
enum : int { IDC_IMPORT_PROMPT = -5, IDC_IMPORT_BROWSER = 1052, IDC_IMPORT_OPML = 1053 };
} // namespace messagecenter

namespace appearance {
enum : int {
    IDC_NEW = 1008,
    IDC_EDIT = 1009,
    IDC_DELETE = 1010,
    IDC_APPLY = 1011,
    IDC_SCHEMELIST = 1019,
    // Our own: the preview beside the list and the line that says why the list cannot be changed.
    IDC_PREVIEW = 1060,
    IDC_LIST_STATUS = 1061,
};
// The scheme editor's template and its controls.
enum : unsigned { IDD_CREATESCHEME = 140 };
namespace createscheme {
enum : int {
    IDC_NAME_LABEL = -1,
    IDC_FONT_LABEL = -2,
    IDC_PRIMARY_LABEL = -3,
    IDC_SECONDARY_LABEL = -4,
    IDC_NAME = 1009,
    IDC_MASTHEAD = 1011,
    IDC_SECONDARY = 1012,
    IDC_PRIMARY = 1013,
    IDC_BROWSE_PRIMARY = 1014,
    IDC_BROWSE_SECONDARY = 1015,
    IDC_FONTCOLOR = 1016,
    IDC_BACKCOLOR = 1017,
    IDC_HEADING = 1020,
    IDC_BACKCOLOR_LABEL = 1025,
    IDC_PREVIEW = 1060,
};
} // namespace createscheme
// Texts of our own (240-259).
enum : unsigned {
    IDS_SCHEME_PREVIEW = 240,
    IDS_SCHEME_MASTHEAD = 241,
    IDS_SCHEMES_UNREADABLE = 242,
    IDS_SCHEME_UNREADABLE = 243,
    IDS_SCHEMES_ADMIN_LOCK = 244,
    IDS_SCHEMES_MANAGED = 245,
    IDS_SCHEMES_ELEVATED = 246,
    IDS_SCHEME_LIST = 247,
};
} // namespace appearance

namespace buttonlight {
enum : int {
    IDC_DEFAULT_GROUP = 1038,
    IDC_LIGHT_ON = 1039,
    IDC_LIGHT_OFF = 1040,
    IDC_INDICATION_GROUP = 1041,
    IDC_INDICATION_FOR_LABEL = 1042,
    IDC_INDICATION_FOR = 1043,
    IDC_INDICATION_TYPE_LABEL = 1044,
    IDC_INDICATION_TYPE = 1045,
    IDC_SETTINGS = 1046,
    IDC_PREVIEW = 1047,
    IDC_LIGHT_STATUS = 1057,
};
} // namespace buttonlight

// The Quick Link editor.
namespace additem {
enum : int {
    IDC_NAME_LABEL = -1,
    IDC_FILEURL_LABEL = -2,
    IDC_NAME = 1009,
    IDC_FILEURL = 1015,
    IDC_BROWSE = 1016,
    IDC_PROMPT = 1021,
    IDC_HINT = 1053,
};
} // namespace additem

namespace confirm_elevation {
enum : int { IDC_CONTINUE = 1026, IDC_EXPLANATION = 1027, IDC_WARNING = 1028 };
} // namespace confirm_elevation

} // namespace res
