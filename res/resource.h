// Resource and control ids shared by the resource script and the code.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_VELMORA_DIALOG      102
#define IDD_PLEASE_WAIT         130
#define IDD_PROMPT              132
#define IDD_PROMPT_CONTENT      167

// Icon and strings
#define IDR_MAINFRAME           128
#define IDS_ABOUTBOX            101

// Main window controls
#define IDC_BTN_MIN             1000
#define IDC_RE_AGREEMENT        1001
#define IDC_CHK_AGREE           1002
#define IDC_BTN_CLOSE           1003
#define IDC_BTN_START           1009
#define IDC_STATIC_VERSION      1012

// Prompt dialog controls
#define IDC_STATIC_PLEASE_WAIT  1004
#define IDC_BTN_PROMPT_CLOSE    1005
#define IDC_STATIC_PROMPT       1006
#define IDC_BTN_PROMPT_FIRST    1007
#define IDC_BTN_PROMPT_SECOND   1008

// About box
#define IDC_ABOUT_NAME          1010
#define IDC_ABOUT_NOTE          1011

// PNG images (resource type "PNG")
#define IDB_PNG_MAIN_BK         134
#define IDB_PNG_PLEASE_WAIT_BK  135
#define IDB_PNG_PROMPT_BK       136
#define IDB_PNG_CANCEL_NORMAL   138
#define IDB_PNG_CANCEL_HOVER    139
#define IDB_PNG_CANCEL_PRESSED  140
#define IDB_PNG_NO_NORMAL       144
#define IDB_PNG_NO_HOVER        145
#define IDB_PNG_NO_PRESSED      146
#define IDB_PNG_OK_NORMAL       147
#define IDB_PNG_OK_HOVER        148
#define IDB_PNG_OK_PRESSED      149
#define IDB_PNG_YES_NORMAL      150
#define IDB_PNG_YES_HOVER       151
#define IDB_PNG_YES_PRESSED     152
#define IDB_PNG_CHECK_STRIP     153
#define IDB_PNG_CLOSE_NORMAL    154
#define IDB_PNG_CLOSE_HOVER     155
#define IDB_PNG_CLOSE_PRESSED   156
#define IDB_PNG_CLOSE_DISABLED  157
#define IDB_PNG_MIN_NORMAL      158
#define IDB_PNG_MIN_HOVER       159
#define IDB_PNG_MIN_PRESSED     160
#define IDB_PNG_MIN_DISABLED    161
#define IDB_PNG_START_NORMAL    162
#define IDB_PNG_START_HOVER     163
#define IDB_PNG_START_PRESSED   164
#define IDB_PNG_START_DISABLED  165
#define IDB_PNG_PROMPT_CONTENT  169

// Agreement text (UTF-8, resource type "TEXT")
#define IDR_AGREEMENT_TEXT      200

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// System menu
#define IDM_ABOUTBOX            0x0010
