#pragma once
// Command ids of the main window's menu, toolbars and accelerators. Each action carries its
// id, so commands are found and triggered by number.

enum CommandId : int {
    ID_EDITION_ZH = 108,
    ID_EDITION_EN = 109,
    ID_UPDATE_STOP = 110,
    ID_TITLE_SEARCH = 32773,
    ID_ADVANCED_SEARCH = 32774,
    ID_SMART_UPDATE = 32777,
    ID_FIND_IN_TEXT = 32784,
    ID_VISIT_WEBSITE = 32787,
    ID_SEND_SUGGESTION = 32788,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_CONTENTS = 57670,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_SMALLICON = 59408,
    ID_VIEW_LARGEICON = 59409,
    ID_VIEW_LIST = 59410,
    ID_VIEW_DETAILS = 59411,
    ID_VIEW_LINEUP = 59412,
    ID_VIEW_BYNAME = 59413,
    // The reader's own commands.
    ID_HISTORY_BACK = 33101,
    ID_HISTORY_FORWARD = 33102,
    ID_FAVOURITE_TOGGLE = 33103,
    ID_FAVOURITES_ORGANIZE = 33104,
    ID_RECENT_CLEAR = 33105,
    ID_FAVOURITE_ARTICLE = 33106,
};

// Control ids of the bars.
inline constexpr int AFX_IDW_TOOLBAR_SMALL = 59480;
inline constexpr int AFX_IDW_TOOLBAR_LARGE = 59392;
inline constexpr int AFX_IDW_REBAR = 59396;
inline constexpr int AFX_IDW_STATUS_BAR = 59393;
