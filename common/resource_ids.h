// Resource identifiers shared by the program's code, its resource script and
// the language libraries (SHOW<code page>.DLL), which carry the same
// resources under the same numbers.  Plain #defines: windres reads this too.
//
// Command IDs are in commands.h.  A toolbar button's tooltip is the string
// whose number is the button's command ID, so those strings have no names of
// their own; neither have the browser's mode names (strings 32759 to 32763,
// the numbers of the mode commands).
#pragma once

// ---------------------------------------------------------------------------
// Strings.
#define IDS_PRODUCT_NAME 102             // "Ommavu"
#define IDS_CAPTURE_LOAD_ERROR 32849     // the capture library cannot be loaded
#define IDS_TAB_THUMB 32765              // tab texts of the browser's list area,
#define IDS_TAB_LARGE 32766              // one per tab in tab order
#define IDS_TAB_SMALL 32767
#define IDS_TAB_LIST 32768
#define IDS_TAB_REPORT 32769
#define IDS_TAB_URL 32770
#define TAB_COUNT 6

// Toolbar button texts: one name per button, joined with "@", in the order of
// the toolbar resource.  Separators take no name, and neither does an entry
// that repeats the command before it (it adds no button, only uses an image).
#define IDS_TOOLBAR_TEXTS 40007          // viewer toolbar (IDR_TOOLBAR)
#define IDS_BROWSER_TOOLBAR_TEXTS 40008  // browser toolbar (IDR_BROWSER_TOOLBAR)

// List headings, "@" after each.
#define IDS_TYPE_COLUMNS 40009           // Register Picture Type list
#define IDS_SAVE_FORMAT_COLUMNS 40018    // Save Picture format list
#define IDS_FOLDER_COLUMNS 40030         // Define Folder list
#define IDS_RENAME_COLUMNS 40036         // Multi File Rename list
#define IDS_FILE_LIST_COLUMNS 40051      // Edit List dialog
#define IDS_LIST_COLUMNS 40014           // the browser's file list (details view)
#define IDS_URL_COLUMN_URL 40039         // URL list, one heading each
#define IDS_URL_COLUMN_ADDRESS 40040
#define IDS_URL_COLUMN_TITLE 40041

#define IDS_OPEN_VERB 40010              // shell verb of registered types; the
                                         // same text in every language
#define IDS_CAN_READ 40011
#define IDS_CAN_WRITE 40012
#define IDS_TURBO_ZOOM 40013
#define IDS_OVERWRITE_ORIGINAL 40019
#define IDS_OVERWRITE_ORIGINAL_TITLE 40020
#define IDS_OVERWRITE_EXISTING 40021
#define IDS_OVERWRITE_EXISTING_TITLE 40022
#define IDS_NO_MEMORY_FOR_DIB 40023
#define IDS_NO_MEMORY_FOR_DIB_TITLE 40024
#define IDS_MAIL_TEXT 40026              // "%s": the file names
#define IDS_THUMB_TO_CLIPBOARD 40027     // file list context menu entries
#define IDS_SEND_MAIL 40028
#define IDS_MOVE_TO_MENU 40029
#define IDS_CREATE_FOLDER 40031
#define IDS_DEFINE_FOLDER 40032
#define IDS_NEW_FOLDER 40033             // name of a new sub-folder
#define IDS_CREATE_ERROR_TITLE 40034
#define IDS_CREATE_FOLDER_FAILURE 40035  // followed by the system's error text
#define IDS_LIST_MODE_MENU 40037
#define IDS_COPY_PREFIX 40038            // names of pasted copies
#define IDS_BUILT_IN_URL 40042           // address "=" title
#define IDS_THUMB_DECODE_ERROR 40045     // "%d" item, "%s" file name
#define IDS_DECODE_ERROR_TITLE 40046
#define IDS_DECODE_ERROR 40047           // "%s" file name
#define IDS_WALLPAPER_FILE 40048         // file names: the same in every
#define IDS_CAPTURE_FILE_NAME 40063      // language
#define IDS_FRAME_NAME_TEMPLATE 40064
#define IDS_CONVERT_PICTURE 40049
#define IDS_NO_DEFINED_FOLDER 40050
#define IDS_PICTURE 40052
#define IDS_ONLY_PICTURE_MODE 40053
#define IDS_TYPE_SUPPORT 40054           // followed by the type's description
#define IDS_STATUS_OBJECTS 40055         // status bar texts
#define IDS_STATUS_PICTURES 40056
#define IDS_STATUS_FRAMES 40057
#define IDS_STATUS_LOAD_TIME 40058       // "%d.%03d" seconds
#define IDS_STATUS_LOADING 40059         // "%d%%" of the rows
#define IDS_STATUS_PICTURE_INFO 40060    // width, height, bits, format name
#define IDS_PLUGIN_ERROR 40061
#define IDS_ERROR_TITLE 40062
#define IDS_LANGUAGE_NAME 40065          // the display name of a language library
#define IDS_WEB_PAGE 40069               // opened by "Download New Version"
#define IDS_MENU_BAND 40072              // upright text beside popups: "#" text,
                                         // or "@" to leave the band out
#define IDS_NOT_PICTURE_TITLE 40073      // a frame picture the library cannot read
#define IDS_NOT_PICTURE 40074
#define IDS_SIZE_LARGE_TITLE 40075       // a frame picture over the largest size
#define IDS_SIZE_LARGE 40076
#define IDS_MODIFY_HSI_TITLE 40077       // the YUV dialog's caption when it adjusts HSI
#define IDS_STILL_LOADING 40091          // status note: a picture command came while loading
#define IDS_STATUS_UNREADABLE 40090      // "%s" file name the viewer could not read
#define IDS_STATUS_PICTURE_REDUCED 40092 // shown width, height, then the file's width,
                                         // height, bits, format name
// Saving pictures: the failure message names the file and the reason.
#define IDS_SAVE_FAILED_TITLE 40110
#define IDS_SAVE_FAILED 40111            // "%s" file name, "%s" reason
#define IDS_SAVE_NAME_TOO_LONG 40112     // reasons
#define IDS_SAVE_IS_FOLDER 40113
#define IDS_SAVE_ENCODER_FAILED 40114    // "%s" format, "%s" the library's text
#define IDS_SAVE_NO_FOLDER 40115
#define IDS_SAVE_ENCODER_SILENT 40116
#define IDS_FRAME_NAMES_COLLIDE 40117    // "%d", "%d" frame numbers, "%s" name
#define IDS_FRAME_NAME_WRAPS 40118       // "%d" frame number, "%s" name
#define IDS_FRAME_TEMPLATE_BAD 40119
#define IDS_SAVE_CHOOSE_FOLDER 40120     // the folder chooser's title
// The URL list's messages.
#define IDS_URL_LIST_TITLE 40300         // their caption
#define IDS_URL_TITLE_EQUALS 40301       // a title may not hold "="
#define IDS_URL_REFUSED 40302            // "%s": an address that is not opened
#define IDS_URL_SAVE_FAILED 40303        // "%s": the list file that could not be written

// A browser item whose name has letters outside the code page and no short
// form to open it by (shown where a picture shows its size).
#define IDS_NAME_OUTSIDE_CODE_PAGE 40400

// Printing: a printer that takes no DIB, and a job the printer refused.
#define IDS_PRINT_NO_DIB 40200
#define IDS_PRINT_NO_DIB_TITLE 40201
#define IDS_PRINT_FAILED 40202
#define IDS_PRINT_FAILED_TITLE 40203

// File operations, clipboard, mail and the folder tools: what the user is
// told when an operation cannot be done ("%s" as noted).
#define IDS_REPLACE_FILES 40150          // "%s": the existing files, one a line
#define IDS_CLIPBOARD_BUSY 40151
#define IDS_NO_MAIL_PROGRAM 40152
#define IDS_MAIL_FAILED 40153            // "%s": MAPI's result number
#define IDS_NO_THUMBNAIL 40154
#define IDS_NAMED_FOLDER_FAILURES 40155  // "%s": one line per named folder
#define IDS_REASON_NAME_TAKEN 40156      // the reasons on those lines
#define IDS_REASON_REAL_FOLDER 40157
#define IDS_REASON_BAD_NAME 40158
#define IDS_REASON_REFUSED 40159
#define IDS_DESTINATION_INVALID 40160    // "%s": the destination typed
#define IDS_RENAME_BAD_NAME 40161        // "%s": the new name
#define IDS_RENAME_REPEATED 40162
#define IDS_RENAME_TOO_LONG 40163
#define IDS_RENAME_TAKEN 40164
#define IDS_RENAME_BAD_START 40165
#define IDS_FIND_NO_HANDLER 40166        // "%s": the folder
#define IDS_PASTE_SAME_FOLDER 40167
#define IDS_RENAME_STOPPED 40168
#define IDS_CHOOSE_FOLDER 40169          // title of the folder chooser of "Add Define"
#define IDS_RENAME_LEFT 40170            // "%s": one "old path -> name now" line per file

// ---------------------------------------------------------------------------
// Menus and accelerators.
#define IDM_VIEWER 112
#define IDM_BROWSER 124
#define IDM_CONTEXT 128
#define IDA_VIEWER 112

// Popups of the menu bars, by position.
#define MENU_POPUP_HELP 5                // both bars; the language items follow
#define BROWSER_POPUP_FOLDER 3           // rebuilt each time it opens

// Popups of context menu 128, by position.
#define CONTEXT_POPUP_FRAME 0            // "POPUPMENU": viewer frame and view
#define CONTEXT_POPUP_PREVIEW 1          // "ViewPopup": browser preview pane
#define CONTEXT_POPUP_SELECTION 2        // "SelectRect": inside a selection
#define CONTEXT_POPUP_LIST_MODE 3        // "ListMode": file list, no folder yet
#define CONTEXT_POPUP_URL 4              // "UrlMenu": URL list

// ---------------------------------------------------------------------------
// Toolbars: a toolbar resource and the image strip of the same number.  The
// resource is the usual 16-bit layout, written out as data because windres's
// own TOOLBAR statement stores something else: version 1, image width, image
// height, entry count, then one command ID per entry, TOOLBAR_SEPARATOR for a
// separator.  Each command entry uses one image of the strip in turn.
#define TOOLBAR_RESOURCE_TYPE 241
#define TOOLBAR_FORMAT_VERSION 1
#define TOOLBAR_SEPARATOR 0
#define IDR_TOOLBAR 121
#define IDR_BROWSER_TOOLBAR 124
#define IDB_TOOLBAR 121
#define IDB_BROWSER_TOOLBAR 124
#define TOOLBAR_IMAGE_SIZE 16
#define TOOLBAR_IMAGE_COUNT 13
#define BROWSER_TOOLBAR_IMAGE_COUNT 13
// The strips are drawn on button-face grey, which the toolbar maps.
#define TOOLBAR_BACKGROUND_COLOUR RGB(192, 192, 192)

// Image lists, pure blue transparent.
#define IDB_MENU_IMAGES 232              // menu painter, 16 x 16 each
#define IDB_TAB_IMAGES 133               // one per tab, in tab order

// The built-in thumbnail frames, 64 x 64 each: "BackgroundIndex" 0 to 3
// selects IDB_THUMB_FRAME + index.
#define IDB_THUMB_FRAME IDB_THUMB_FRAME_PANEL
#define IDB_THUMB_FRAME_PANEL 135        // raised grey panel
#define IDB_THUMB_FRAME_WOOD 136         // wooden frame
#define IDB_THUMB_FRAME_MAT 137          // blue mat, rounded window
#define IDB_THUMB_FRAME_GOLD 138         // gold frame
#define THUMB_FRAME_COUNT 4
#define THUMB_FRAME_SIZE 64
#define IMAGE_LIST_MASK_COLOUR RGB(0, 0, 255)

// Images of bitmap 232 by index.
#define MENU_IMAGE_OPEN 0
#define MENU_IMAGE_SAVE 1
#define MENU_IMAGE_PRINT 2
#define MENU_IMAGE_EXIT 3
#define MENU_IMAGE_BROWSE 4
#define MENU_IMAGE_FIRST 5
#define MENU_IMAGE_PREVIOUS 6
#define MENU_IMAGE_NEXT 7
#define MENU_IMAGE_LAST 8
#define MENU_IMAGE_PREVIOUS_PAGE 9
#define MENU_IMAGE_NEXT_PAGE 10
#define MENU_IMAGE_PLAY 11
#define MENU_IMAGE_STOP 12
#define MENU_IMAGE_SEQUENCE 13
#define MENU_IMAGE_RELOAD 14
#define MENU_IMAGE_ZOOM_IN 15
#define MENU_IMAGE_ZOOM_NORMAL 16
#define MENU_IMAGE_ZOOM_OUT 17
#define MENU_IMAGE_FULL_SCREEN 18
#define MENU_IMAGE_CLIPBOARD 19
#define MENU_IMAGE_WALLPAPER 20
#define MENU_IMAGE_FLIP 21
#define MENU_IMAGE_MIRROR 22
#define MENU_IMAGE_ROTATE_LEFT 23
#define MENU_IMAGE_ROTATE_RIGHT 24
#define MENU_IMAGE_ABOUT 25
#define MENU_IMAGE_FIND 26
#define MENU_IMAGE_DELETE 27
#define MENU_IMAGE_RENAME 28
#define MENU_IMAGE_SETTINGS 29
#define MENU_IMAGE_PARENT_FOLDER 30
#define MENU_IMAGE_BACKWARD 31
#define MENU_IMAGE_FORWARD 32
#define MENU_IMAGE_THUMBNAILS 33
#define MENU_IMAGE_LARGE_ICONS 34
#define MENU_IMAGE_SMALL_ICONS 35
#define MENU_IMAGE_LIST 36
#define MENU_IMAGE_DETAILS 37
#define MENU_IMAGE_PREVIEW 38
#define MENU_IMAGE_PICTURE 39
#define MENU_IMAGE_COUNT 40

// ---------------------------------------------------------------------------
// Icons and cursors: in the program only, never in a language library.
#define IDI_CLASS 143                    // window class icon
#define IDI_CLASS_SMALL 144
#define IDI_BLINK 145                    // second blink icon (always used)
#define IDI_BLINK_LOGO 146               // first blink icon, the product logo
#define IDI_LOGO 147                     // drawn in the thumbnail frame preview
#define IDI_PICTURE_FOLDER 148           // a folder of pictures

// Picture-type icons.  The shell and the type registration name an icon by
// its index among the program's icon groups, which are numbered 143 on
// without gaps: index = ID - IDI_CLASS.  IDI_TYPE_NONE is the icon of a type
// without one of its own.
#define IDI_FIRST_GROUP IDI_CLASS
#define IDI_TYPE_NONE 149
#define IDI_TYPE_BMP 150
#define IDI_TYPE_GIF 151
#define IDI_TYPE_ICON 152
#define IDI_TYPE_JPEG 153
#define IDI_TYPE_PCD 154
#define IDI_TYPE_PCX 155
#define IDI_TYPE_PICT 156
#define IDI_TYPE_PNG 157
#define IDI_TYPE_PSD 158
#define IDI_TYPE_TGA 159
#define IDI_TYPE_TIFF 160
#define IDI_TYPE_WMF 161
#define IDI_TYPE_YUV 162
#define IDI_TYPE_AVS 163
#define IDI_TYPE_FITS 164
#define IDI_TYPE_AVI 165
#define IDI_TYPE_JBIG 166
#define IDI_TYPE_XWD 167
#define IDI_TYPE_CMYK 168
#define IDI_TYPE_EMF 169
#define IDI_TYPE_PNM 170
#define IDI_TYPE_RLE 171
#define IDI_TYPE_MIFF 172
#define IDI_TYPE_MTV 173
#define IDI_TYPE_RGB 174
#define IDI_TYPE_SGI 175
#define IDI_TYPE_SUN 176
#define IDI_TYPE_TIM 177
#define IDI_TYPE_VIFF 178
#define IDI_TYPE_XBM 179
#define IDI_TYPE_XPM 180
#define IDI_TYPE_GRAY 181
#define IDI_LAST_GROUP IDI_TYPE_GRAY
#define IDCUR_HOVER 123                  // over a picture larger than the view
#define IDCUR_DRAG 125                   // while dragging it
#define IDCUR_SELECTION 186              // over a selection (a click zooms to it)

// ---------------------------------------------------------------------------
// Dialogs and their controls.  A language library carries every dialog under
// the same number with the same control IDs.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)                  // labels and frames nobody addresses
#endif

// Url Info: one entry of the browser's URL list, new or edited.
#define IDD_URL_INFO 188
#define IDC_URL_ADDRESS 1043             // "Url Address:", up to 512 characters
#define IDC_URL_TITLE 1044               // "Description:", up to 512 characters

// Edit List: the open list, reorderable.
#define IDD_EDIT_LIST 193
#define IDC_EDIT_LIST_VIEW 1045          // list view, report style
#define IDC_EDIT_LIST_DOWN 1046          // "Move Down"
#define IDC_EDIT_LIST_UP 1047            // "Move Up"

// The effect and transform dialogs share the preview (an owner-drawn static)
// and number their trackbars from 1031.
#define IDC_EFFECT_PREVIEW 1030
// Modify RGB / Modify YUV (and HSI, which reuses the YUV dialog): three
// offsets -128..127, each a trackbar with its value beside it.
#define IDD_MODIFY_RGB 139
#define IDD_MODIFY_YUV 147
#define IDC_OFFSET_VALUE_1 1027
#define IDC_OFFSET_VALUE_2 1028
#define IDC_OFFSET_VALUE_3 1029
#define IDC_OFFSET_TRACK_1 1031
#define IDC_OFFSET_TRACK_2 1032
#define IDC_OFFSET_TRACK_3 1033
// Rotate Any Angle: -360..360 degrees.
#define IDD_ROTATE_ANGLE 131
#define IDC_ROTATE_EDIT 1011
#define IDC_ROTATE_TRACK 1031
// Smooth Zoom(Max 2X): width and height up to twice the picture's.
#define IDD_SMOOTH_ZOOM 140
#define IDC_ZOOM_WIDTH_TRACK 1031
#define IDC_ZOOM_HEIGHT_TRACK 1032
#define IDC_ZOOM_WIDTH_LOW 1037
#define IDC_ZOOM_HEIGHT_LOW 1038
#define IDC_ZOOM_WIDTH_HIGH 1039
#define IDC_ZOOM_HEIGHT_HIGH 1040
#define IDC_ZOOM_SYNC 1041
#define IDC_ZOOM_WIDTH_EDIT 1043
#define IDC_ZOOM_HEIGHT_EDIT 1044

// Printing: the abort dialog shown while a job runs, and the choice of
// colours (colour printers) or grey method and light (monochrome printers),
// each with the effect dialogs' preview 1030.
#define IDD_PRINT_ABORT 194              // "Cancel Printing..." with its Cancel button
#define IDD_COLOR_PRINT 195
#define IDC_PRINT_16_COLORS 1059
#define IDC_PRINT_256_COLORS 1060
#define IDC_PRINT_32K_COLORS 1061
#define IDC_PRINT_64K_COLORS 1062
#define IDC_PRINT_16M_COLORS 1063
#define IDD_MONO_PRINT 196
#define IDC_PRINT_2_COLORS 1057
#define IDC_PRINT_FAST_DITHER 1058
#define IDC_PRINT_BEST_DITHER 1059
#define IDC_PRINT_LIGHT 1031             // trackbar -128..127
#define IDC_PRINT_LIGHT_VALUE 1027

// About.
#define IDD_ABOUT 101
#define IDC_ABOUT_NAME 1075              // the display name
#define IDC_ABOUT_TEXT 1076              // replaced by "INSTALL"/"OEM" when set
#define IDC_ABOUT_ICON 1077              // replaced by the "OEMICON" icon when set

// Option: the viewer's and the browser list's preferences.
#define IDD_OPTION 127
#define IDC_OPTION_FIXED_LEFT_TOP 1057   // "WindowSizeAutoChange" 0, 1, 2
#define IDC_OPTION_AUTO_SIZE 1058
#define IDC_OPTION_FIXED_POSITION 1059
#define IDC_OPTION_FORWARD 1060          // "ActiveToward" 1, -1
#define IDC_OPTION_BACKWARD 1061
#define IDC_OPTION_MIDDLE 1062           // "AutoPicPos" 0, 1
#define IDC_OPTION_TOP_LEFT 1063
#define IDC_OPTION_WHEEL_PAGE 1064       // "WheelZoom" 0, 1
#define IDC_OPTION_WHEEL_ZOOM 1065
#define IDC_OPTION_DELAY 1031            // slider, "Timer" in hundredths of a second
#define IDC_OPTION_DELAY_TEXT 1052       // the slider's value, seconds
#define IDC_OPTION_BACKGROUND_COLOR 1046 // button: the list's background colour
#define IDC_OPTION_COLOR_SAMPLE 1032
#define IDC_OPTION_SHOW_SIZE 1041        // "EnablePicSize"
#define IDC_OPTION_PREDEFINED_FRAME 1024 // radio: a built-in thumbnail frame
#define IDC_OPTION_FRAME_INDEX 1036      // slider: which one
#define IDC_OPTION_USER_FRAME 1025       // radio: a picture file as the frame
#define IDC_OPTION_FRAME_FILE 1022       // its path
#define IDC_OPTION_SELECT_PICTURE 1026
#define IDC_OPTION_BORDER_WIDTH 1034     // sliders: "LeftWidth", "LeftHeight"
#define IDC_OPTION_BORDER_HEIGHT 1035
#define IDC_OPTION_WIDTH_TEXT 1053       // their values
#define IDC_OPTION_HEIGHT_TEXT 1054
#define IDC_OPTION_WIDTH_LIMIT 1055      // their upper limits
#define IDC_OPTION_HEIGHT_LIMIT 1056
#define IDC_OPTION_PREVIEW 1030          // the frame with its borders and the logo
#define FRAME_PICTURE_MAX_SIZE 80        // a user frame picture: at most 80 x 80

// Save Picture (one picture) and Save Pictures (the frames of an animation
// or a multi-page file) share their controls.
#define IDD_SAVE_PICTURE 182
#define IDD_SAVE_PICTURES 197
#define IDC_SAVE_PREVIEW 1030            // owner-drawn: the picture at the chosen depth
#define IDC_SAVE_QUALITY 1031            // trackbar 0..100
#define IDC_SAVE_OVERWRITE_EXIST 1041
#define IDC_SAVE_OVERWRITE_ORIGINAL 1042
#define IDC_SAVE_NAME 1043               // save name; Save Pictures: the save folder
#define IDC_SAVE_TEMPLATE 1044           // Save Pictures: the frame name template
#define IDC_SAVE_FORMATS 1045            // list view: writable formats
#define IDC_SAVE_CHOOSE_PATH 1046
#define IDC_SAVE_2_COLORS 1057
#define IDC_SAVE_4_COLORS 1058
#define IDC_SAVE_16_COLORS 1059
#define IDC_SAVE_256_COLORS 1060
#define IDC_SAVE_32K_COLORS 1061
#define IDC_SAVE_64K_COLORS 1062
#define IDC_SAVE_16M_COLORS 1063
#define IDC_SAVE_32B_COLORS 1064
#define IDC_SAVE_GRAY_COLORS 1065
#define IDC_SAVE_DEPTH_FIRST IDC_SAVE_2_COLORS    // the radios by depth index 0..8
#define IDC_SAVE_DEPTH_LAST IDC_SAVE_GRAY_COLORS
#define IDC_SAVE_QUALITY_TEXT 1066       // "75%"
#define IDC_SAVE_FROM 1069               // Save Pictures: first and last frame numbers
#define IDC_SAVE_TO 1070
#define IDC_SAVE_FRAME_COUNT 1072
#define IDC_SAVE_BASE 1074               // added to the frame numbers shown and named

// The wallpaper dialog.
#define IDD_WALLPAPER 191
#define IDC_WALLPAPER_CENTER 1057
#define IDC_WALLPAPER_TILE 1058
#define IDC_WALLPAPER_STRETCH 1059
#define IDC_WALLPAPER_PREVIEW 1071       // owner-drawn: the miniature screen

// ---------------------------------------------------------------------------
// Kivaro.dll, the shell extension: resources of its own module, chosen by
// the system's ANSI code page at run time (936 takes the Chinese texts).
#define IDS_KIVARO_FLUSH_ALL 1           // context menu: "Flush All Icon"
#define IDS_KIVARO_PAGE_TITLE 2          // property page tab: "ICON"
#define IDS_KIVARO_FLUSH_ALL_936 3
#define IDS_KIVARO_SEND_MAIL 4           // context menu: "Send Picture Mail"
#define IDS_KIVARO_SEND_MAIL_936 5
#define IDD_KIVARO_PAGE 132              // property page "ICON"
#define IDC_KIVARO_FILE_TIME 1000        // the picture's facts, from the cache
#define IDC_KIVARO_FILE_SIZE 1001
#define IDC_KIVARO_WIDTH 1002
#define IDC_KIVARO_HEIGHT 1003
#define IDC_KIVARO_BITS 1004
#define IDC_KIVARO_TYPE 1005
#define IDC_KIVARO_FLUSH 1006            // "Flush Icon"
#define IDC_KIVARO_SAMPLE 1030           // the thumbnail, owner-drawn

// Register Picture Type: the picture types with their ticks, icon and colour.
#define IDD_REGISTER_TYPE 141
#define IDC_TYPE_LIST 1045               // list view, report style, one row per type
#define IDC_TYPE_REGISTER_ALL 1048       // tick every row
#define IDC_TYPE_CLEAR_ALL 1049          // untick every row
#define IDC_TYPE_REGISTER_SELECTED 1050  // tick the selected rows
#define IDC_TYPE_ICON 1051               // static icon: the current row's type icon
#define IDC_TYPE_COLOR_SAMPLE 1030       // static: the current row's colour
#define IDC_TYPE_CHANGE_COLOR 1047       // choose the current row's colour
#define IDC_TYPE_PIC_TO_ICON 1041        // "SETTINGS"/"PicToIcon"
#define IDS_REGISTER_TYPE_FAILED 40130   // "%s": the tags that could not be registered
#define IDS_REGISTER_TYPE_FAILED_TITLE 40131

// Define Folder (183) and Copy/Move Destination (192): the named folders
// (shortcuts in the Send To folder) as a list of name and folder; 192 adds
// the destination edit.
#define IDD_DEFINE_FOLDER 183
#define IDD_COPY_MOVE_DESTINATION 192
#define IDC_FOLDER_LIST 1100             // list view, report style, names editable
#define IDC_FOLDER_ADD 1101              // "Add Define"
#define IDC_FOLDER_REMOVE 1102
#define IDC_FOLDER_RENAME 1103
#define IDC_DESTINATION_EDIT 1104        // "Destination Folder:"
// Define Current Folder (184): the shown folder and the name it gets.
#define IDD_NAME_FOLDER 184
#define IDC_NAME_FOLDER_PATH 1105
#define IDC_NAME_FOLDER_EDIT 1106
// Multi File Rename (185): new and old names, the template and its start.
#define IDD_MULTI_RENAME 185
#define IDC_RENAME_LIST 1110             // list view, owner data, new names editable
#define IDC_RENAME_BASE 1111             // combo box of the old names
#define IDC_RENAME_TEMPLATE 1112
#define IDC_RENAME_START 1113
#define IDC_RENAME_EDIT 1114             // "Rename": edit the selected new name

// ---------------------------------------------------------------------------
// The installer (setup.exe) and the uninstaller (REMOVE32.EXE, REMOVE16.EXE):
// programs of their own, so their numbers may repeat the viewer's.  Where a
// Chinese dialog or string has no number of its own, it is the English one
// plus SETUP_CHINESE_OFFSET; the programs pick it when GetACP() is 936.
#define SETUP_CHINESE_OFFSET 1000
#define IDR_PAYLOAD 1300                  // type "RT_RCDATA" (a name): the packed files
#define SETUP_PAYLOAD_TYPE "RT_RCDATA"

// setup's strings.
#define IDS_SETUP_CHOOSE_TITLE 10         // "Choose Directories"
#define IDS_SETUP_CREATE_ASK 11           // "The Directory %s do not exist,\nCreate this directory ?"
#define IDS_SETUP_CREATE_ASK_TITLE 12
#define IDS_SETUP_CREATE_ERROR_TITLE 13
#define IDS_SETUP_CREATE_ERROR 14
#define IDS_SETUP_SPACE_TITLE 15
#define IDS_SETUP_SPACE 16
#define IDS_SETUP_WRITE_TITLE 17
#define IDS_SETUP_WRITE 18
#define IDS_SETUP_PATH_ERROR 19           // "Path Error !": a root, a relative path, the Windows folder
#define IDS_SETUP_PATH_ERROR_TITLE 20
#define IDS_SETUP_GROUP 23                // "Quenlark Ommavu"; Chinese: 30
#define IDS_SETUP_GROUP_CHINESE 30
#define IDS_SETUP_QUICK_LAUNCH 34         // "Quenlark Ommavu.lnk"; Chinese: 35
#define IDS_SETUP_QUICK_LAUNCH_CHINESE 35
#define IDS_SETUP_DESCRIPTION 40          // the setup dialog's text; Chinese: 37
#define IDS_SETUP_DESCRIPTION_CHINESE 37
#define IDS_SETUP_PAYLOAD_DAMAGED 41      // the payload is shorter than its table
#define IDS_SETUP_REPLACE_AT_RESTART 42   // files in use, replaced when Windows restarts
#define IDS_SETUP_TITLE 43                // caption of setup's message boxes
#define IDS_SETUP_REMOVE_LINK 44          // shortcut names of the group
#define IDS_SETUP_HELP_LINK 45
#define IDS_SETUP_PROGRAM_LINK 46
#define IDS_SETUP_NOT_WRITTEN 47         // files that could not be written at all

// setup's bitmaps and icons.
#define IDB_SETUP_PICTURE 200             // the picture of the full-screen window and the setup dialog
#define IDI_SETUP 100
#define IDI_SETUP_ANIMATION_FIRST 101     // 11 icons, 101 to 111, turned by the copy dialog
#define SETUP_ANIMATION_FRAMES 11

// setup's dialogs.
#define IDD_SETUP 10510                   // "Install Setup"; Chinese: 113
#define IDD_SETUP_CHINESE 113
#define IDC_SETUP_PICTURE 1010
#define IDC_SETUP_DESCRIPTION 1011
#define IDC_SETUP_DESTINATION 201
#define IDC_SETUP_BROWSE 31
#define IDC_SETUP_EXIT_WHEN_DONE 1313
#define IDD_SETUP_COPY 105                // the copy's progress; Chinese: 10502
#define IDD_SETUP_COPY_CHINESE 10502
#define IDC_COPY_BAR 1000
#define IDC_COPY_SOURCE 1001
#define IDC_COPY_DESTINATION 1002
#define IDC_COPY_ANIMATION 1008
#define IDD_SETUP_EXIT 10300              // "Exit Setup"
#define IDC_SETUP_RESUME 1301
#define IDC_SETUP_EXIT 1302
#define IDD_SETUP_GROUP 110               // "Create Group", shown while the group is made
#define IDD_SETUP_FINISH 107              // "Finish Setup"
#define IDC_FINISH_TOOLS 5                // "Run Other Tools Setup Wizard"
#define IDC_FINISH_TEXT 1020

// REMOVE32's dialogs and strings.
#define IDD_REMOVE_CONFIRM 101            // "Uninstall"
#define IDC_REMOVE_CONFIRM_TEXT 1001
#define IDD_REMOVE_FINISH 102             // "Finish Uninstall"
#define IDD_REMOVE_ERROR 103              // "Error": no installation recorded
#define IDD_REMOVE_PROGRESS 107           // "Delete File"
#define IDC_REMOVE_BAR 1000
#define IDC_REMOVE_NAME 1002
#define IDS_REMOVE_CONFIRM 10             // "Uninstall %s\n..."; "%s" is the group
#define IDS_REMOVE_CONFIRM_TAIL 11
#define IDS_REMOVE_VIEWER_RUNNING 12      // asks to close a running viewer
#define IDS_REMOVE_TITLE 13
#define IDS_REMOVE_AT_RESTART 14          // files in use, removed when Windows restarts
#define IDS_REMOVE_STOPPED 15             // Cancel: what is left stays on record
