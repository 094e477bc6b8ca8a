/* The least a once-a-second tray countdown can do under Windows, to compare
 * hourgauge.exe's CPU cost with (scripts/bench-wine-cpu.sh). It does what
 * hourgauge.exe does every second and nothing else: a 1-second timer on a
 * hidden window, two REG_SZ writes under HKLM\SOFTWARE\Hourgauge (EndTime,
 * a time text, and LastTime, a decimal number), each opening and closing the
 * key as hourgauge.exe's registry store does, and a tooltip update that
 * sends the tip only. The icon is added once, with icon, callback and tip.
 *
 *   tick_baseline.exe TICKS     ends after TICKS ticks (default 600)
 */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define TICK_TIMER 1
#define TRAY_ID 101
#define WM_TRAYNOTIFY 0x9F1

static const char kKey[] = "SOFTWARE\\Hourgauge";
static NOTIFYICONDATAA g_nid;
static long g_ticksLeft = 600;
static int g_lastTime = 3600;

/* As hourgauge.exe writes a value: open (create when absent), set, close. */
static void WriteRegString(const char* name, const char* text) {
  HKEY key = NULL;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_WRITE, &key);
  if (status == ERROR_FILE_NOT_FOUND)
    status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, NULL, REG_OPTION_NON_VOLATILE,
                             KEY_WRITE, NULL, &key, NULL);
  if (status != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text));
  RegCloseKey(key);
}

static void FormatTip(void) {
  snprintf(g_nid.szTip, sizeof g_nid.szTip, "LastTime( %02dmin )%s", g_lastTime / 60,
           "\n 7日(12min) 6日(0min) 5日(0min)");
}

static void OnTick(HWND hwnd) {
  char text[32];
  __time64_t now = _time64(NULL);
  struct tm local;
  if (_localtime64_s(&local, &now) == 0)
    snprintf(text, sizeof text, "%02d/%02d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
             local.tm_hour, local.tm_min, local.tm_sec);
  else
    text[0] = '\0';
  WriteRegString("EndTime", text);

  --g_lastTime;
  snprintf(text, sizeof text, "%d", g_lastTime);
  WriteRegString("LastTime", text);

  g_nid.uFlags = NIF_TIP;
  FormatTip();
  Shell_NotifyIconA(NIM_MODIFY, &g_nid);

  if (--g_ticksLeft <= 0) {
    KillTimer(hwnd, TICK_TIMER);
    Shell_NotifyIconA(NIM_DELETE, &g_nid);
    DestroyWindow(hwnd);
  }
}

static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && wParam == TICK_TIMER) {
    OnTick(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdLine, int show) {
  (void)prev;
  (void)show;
  if (cmdLine != NULL && *cmdLine != '\0')
    g_ticksLeft = strtol(cmdLine, NULL, 10);
  if (g_ticksLeft <= 0)
    return 2;

  WNDCLASSA wc = {0};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = "TickBaseline";
  if (!RegisterClassA(&wc))
    return 1;
  /* Never shown: it only receives the timer and the tray's callbacks. */
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "TickBaseline", WS_OVERLAPPEDWINDOW, 0, 0,
                              320, 86, NULL, NULL, instance, NULL);
  if (hwnd == NULL)
    return 1;

  g_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
  g_nid.hWnd = hwnd;
  g_nid.uID = TRAY_ID;
  g_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  g_nid.uCallbackMessage = WM_TRAYNOTIFY;
  g_nid.hIcon = (HICON)LoadImageA(NULL, (LPCSTR)IDI_APPLICATION, IMAGE_ICON, 16, 16, LR_SHARED);
  FormatTip();
  Shell_NotifyIconA(NIM_ADD, &g_nid);
  SetTimer(hwnd, TICK_TIMER, 1000, NULL);

  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0)
    DispatchMessageA(&msg);
  return (int)msg.wParam;
}
