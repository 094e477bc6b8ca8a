// Resource ids shared by the code and res/hourgauge.rc. Plain #defines so the
// resource compiler can read this file too.
#pragma once

#define IDR_MAINFRAME 128        // menu 128, icon 128
#define AFX_IDS_APP_TITLE 57344 // string: the application title "Hourgauge"

#define IDD_PASSWORD_CHECK 830
#define IDD_PASSWORD_CHANGE 831
#define IDD_SETTINGS 832

#define IDC_PASSWORD 3301      // check dialog: the password; change dialog: the old one
#define IDC_DAILY_LIMIT 3301   // settings dialog: daily limit in minutes
#define IDC_ADJUST_TIME 3302   // settings dialog: day-start adjustment in minutes
#define IDC_NEW_PASSWORD 3303
#define IDC_CONFIRM_PASSWORD 3304
#define IDC_RESET_TODAY 1000

#define ID_CHANGE_PASSWORD 32771
#define ID_SETTINGS 32772
#define ID_QUIT 32773
#define ID_UNINSTALL 32777
#define ID_APP_EXIT 57665

// Notices before a forced power-off, in the string table.
#define IDS_NOTICE_10MIN 200
#define IDS_NOTICE_5MIN 201
#define IDS_NOTICE_1MIN 202
#define IDS_NOTICE_DAY_SPENT 203
#define IDS_COUNTDOWN 204   // the countdown window's text, "%d": seconds
#define IDS_NOTICE_FONT 205 // the countdown window's font face

// The framework's validation messages in the string table.
#define AFX_IDP_PARSE_INT_RANGE 61714
#define AFX_IDP_PARSE_STRING_SIZE 61716
#define AFX_IDP_PARSE_UINT 61719
