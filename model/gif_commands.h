// The command identifiers of the menus, the accelerators, the toolbar and the property bar's
// play button: the framework's standard numbers for the standard commands, our own for the
// program's. Which of them is enabled is the document's answer (CGIFDoc::IsCommandEnabled).
#pragma once

namespace korvanta {

enum : unsigned {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT = 57607,
    ID_FILE_MRU_FILE1 = 57616,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,  // has no handler: always disabled
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57670,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    ID_PLAY = 2000,
    ID_INSERT_IMAGE = 32771,
    ID_INSERT_CONTROL = 32772,
    ID_INSERT_COMMENT = 32773,
    ID_INSERT_TEXT = 32774,
    ID_INSERT_LOOP = 32775,
    ID_SAVE_SELECTED_IMAGE = 32776,
};

}  // namespace korvanta
