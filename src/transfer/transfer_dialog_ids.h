#pragma once
// Control ids of the transfer dialogs, shared by their templates and their
// procedures. Language modules carry their own copies of the templates, so
// the ids must stay as they are.

// The protocol status window: one value label per line of the status model,
// in its order, the progress panel, and Cancel (IDCANCEL, so Esc cancels too).
#define VZ_PS_VALUE_FIRST 1201
#define VZ_PS_PROGRESS_PANEL 1230
#define VZ_PS_METER 1231

// The protocol options dialog.
#define VZ_PO_INCLUDE_DIRECTORY 1301
#define VZ_PO_ASK_AS 1302
#define VZ_PO_PROTOCOL_TYPE 1303
#define VZ_PO_HANDSHAKE_RETRY 1304
#define VZ_PO_UPCASE_NAMES 1305
#define VZ_PO_CONFIGURE 1306
#define VZ_PO_DEBUG 1307
#define VZ_PO_DEBUG_FILE 1308
#define VZ_PO_DESTINATION_DIR 1309
#define VZ_PO_BROWSE 1310
#define VZ_PO_LOCK_DIRECTORY 1311
#define VZ_PO_WRITE_FAIL 1312
#define VZ_PO_FINISH_WAIT 1313

// The X/YModem form.
#define VZ_XY_BLOCK_WAIT 1401

// The ZModem form.
#define VZ_ZM_FILE_OPTION 1501
#define VZ_ZM_FINISH_RETRY 1502
#define VZ_ZM_OVERRIDE 1503
#define VZ_ZM_RECOVER 1504
#define VZ_ZM_SKIP_NO_FILE 1505
#define VZ_ZM_AUTO_RECEIVE 1506
#define VZ_ZM_USE_WINDOWS 1507
#define VZ_ZM_WINDOW_SIZE 1508

// The ASCII form; each radio group's buttons are consecutive.
#define VZ_AS_CHAR_DELAY 1601
#define VZ_AS_LINE_DELAY 1602
#define VZ_AS_CR_FIRST 1603
#define VZ_AS_LF_FIRST 1606
#define VZ_AS_EOL_CHAR 1609
#define VZ_AS_STOP_CTRL_Z 1610

// The Kermit form.
#define VZ_KM_CHECK_FIRST 1701
#define VZ_KM_PAD_COUNT 1704
#define VZ_KM_PAD_CHAR 1705
#define VZ_KM_HIGHBIT_PREFIX 1706
#define VZ_KM_REPEAT_PREFIX 1707
#define VZ_KM_CONTROL_PREFIX 1708
#define VZ_KM_MAX_LEN 1709
#define VZ_KM_TERMINATOR 1710
#define VZ_KM_USE_WINDOWS 1711
#define VZ_KM_WINDOWS 1712
#define VZ_KM_AUTO_RECEIVE 1713
