// Resource ids shared by the code and res/hourgauge.rc. Plain #defines so the
// resource compiler can read this file too.
#pragma once

#define IDR_MAINFRAME 128        // menu 128, icon 128
#define AFX_IDS_APP_TITLE 57344 // string: the application title "Hourgauge"

#define IDD_PASSWORD_CHECK 830
#define IDD_PASSWORD_CHANGE 831
#define IDD_SETTINGS 832
#define IDD_EXTRA_TIME 833
#define IDD_DAY_RULES 834

#define IDC_PASSWORD 3301      // check dialog: the password; change dialog: the old one
#define IDC_DAILY_LIMIT 3301   // settings dialog: daily limit in minutes
#define IDC_ADJUST_TIME 3302   // settings dialog: day-start adjustment in minutes
#define IDC_NEW_PASSWORD 3303
#define IDC_CONFIRM_PASSWORD 3304
#define IDC_RESET_TODAY 1000
#define IDC_DAY_RULES 1001     // settings dialog: opens the limits by day
#define IDC_EXTRA_MINUTES 3305 // extra-time dialog: minutes to add
// Limits by day: the limits of Sunday to Saturday, then the bedtime.
#define IDC_LIMIT_SUN 3306
#define IDC_LIMIT_MON 3307
#define IDC_LIMIT_TUE 3308
#define IDC_LIMIT_WED 3309
#define IDC_LIMIT_THU 3310
#define IDC_LIMIT_FRI 3311
#define IDC_LIMIT_SAT 3312
#define IDC_BEDTIME 3313

#define ID_CHANGE_PASSWORD 32771
#define ID_SETTINGS 32772
#define ID_QUIT 32773
#define ID_UNINSTALL 32777
#define ID_HISTORY 32780    // the usage history window; no password
#define ID_EXTRA_TIME 32781 // extra time for today, under the password
#define ID_LATER_DAY 32782  // on no menu: the window's own, the later stored day's prompt
#define ID_APP_EXIT 57665

// The framework's standard commands of the menu's further popups, which the
// program never shows.
#define ID_EDIT_UNDO 57643
#define ID_EDIT_CUT 57635
#define ID_EDIT_COPY 57634
#define ID_EDIT_PASTE 57637
#define ID_VIEW_STATUS_BAR 59393
#define ID_APP_ABOUT 57664
// Notices before a forced power-off, in the string table.
#define IDS_NOTICE_10MIN 200
#define IDS_NOTICE_5MIN 201
#define IDS_NOTICE_1MIN 202
#define IDS_NOTICE_DAY_SPENT 203
#define IDS_COUNTDOWN 204   // the countdown window's text, "%d": seconds
#define IDS_NOTICE_FONT 205 // the countdown window's font face

// The program's own texts, in the string table so that each display
// language finds its own.
#define IDS_TIP_FORMAT 210       // tooltip: "%02d" remaining minutes, "%s" the days
#define IDS_TIP_DAYS 211         // the days: three of day "%d", its mark "%s", "%d" minutes
#define IDS_DAY_MARKS 212        // the marks after a day: for 1, 2, 3 and the rest, '|' between
#define IDS_SET_PASSWORD_ITEM 213 // item 32771 while no password is stored
#define IDS_WARNING_CAPTION 214
#define IDS_OLD_PASSWORD_WRONG 215
#define IDS_NEW_PASSWORD_MISMATCH 216
#define IDS_NEW_PASSWORD_REFUSED 217
#define IDS_PASSWORD_ERROR_CAPTION 218
#define IDS_PASSWORD_WRONG 219
#define IDS_UNINSTALL_MESSAGE 220
#define IDS_UNINSTALL_CAPTION 221

// The framework's validation messages in the string table.
#define AFX_IDP_PARSE_INT_RANGE 61714
#define AFX_IDP_PARSE_STRING_SIZE 61716
#define AFX_IDP_PARSE_UINT 61719

// The uninstall's refusals.
#define IDS_UNINSTALL_NEEDS_ADMIN 222 // uninstall refused: run as administrator
#define IDS_UNINSTALL_FAILED 223      // uninstall failed for another reason

// The service's texts.
#define IDS_NOTICE_TIME_UP 224       // the service's message as it powers the PC off
#define IDS_SERVICE_NOT_RUNNING 225  // tooltip: the service is installed but does not run
#define IDS_SERVICE_REFUSED 226      // a command the service could not carry out
#define IDS_PASSWORD_LOCKED 227      // too many wrong passwords

// The usage history window and the later stored day's minute.
#define IDS_HISTORY_SUMMARY 230   // the window's title, for screen readers: today's use and limit, two days before
#define IDS_HISTORY_WEEKDAYS 231  // the weekdays' short names, Sunday first, '|' between
#define IDS_HISTORY_DAY 232       // under a bar: "%s" weekday, "%d/%d" month and day
#define IDS_HISTORY_MINUTES 233   // a bar's figure: "%d" minutes
#define IDS_HISTORY_TODAY 234     // the heading of today's sessions
#define IDS_HISTORY_YESTERDAY 235 // the heading of yesterday's sessions
#define IDS_HISTORY_SESSION 236   // a session: "%d:%02d" start, "%d:%02d" end, "%d" minutes
#define IDS_HISTORY_NONE 237      // a list without sessions
#define IDS_LATER_DAY_CAPTION 238 // the password prompt of the later stored day's minute
// Extra time, the limits by day and the settings' question.
#define IDS_SETTINGS_POWER_OFF 240 // Yes/No: these settings turn the PC off now
#define IDS_BEDTIME_FORMAT 241     // the bedtime field is not a time of day
// The service's message for the later stored day's minute.
#define IDS_NOTICE_LATER_DAY 250
