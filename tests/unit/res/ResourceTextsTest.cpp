// Every text and layout of res/hourgauge.rc, byte for byte as the program's
// 8-bit calls see it (code page 932), and the icon file's images.
//
// The expected texts below are string literals, which this build stores as
// code page 932 bytes; a few are also spelled out in hex so that a change in
// how either side converts would show.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/sim/RcResources.h"
#include "res/resource.h"
#include "res/version.h"

namespace hg::sim {
namespace {

// Win32 style bits (the published values).
constexpr DWORD kChild = 0x40000000u | 0x10000000u; // WS_CHILD | WS_VISIBLE
constexpr DWORD kBorder = 0x00800000u;
constexpr DWORD kTabStop = 0x00010000u;
constexpr DWORD kGroup = 0x00020000u;
constexpr DWORD kEsPassword = 0x20u;
constexpr DWORD kEsAutoHScroll = 0x80u;
constexpr DWORD kBsDefPushButton = 0x1u;
constexpr DWORD kSsRight = 0x2u;

constexpr DWORD kPasswordEdit = kChild | kBorder | kTabStop | kEsPassword | kEsAutoHScroll;
constexpr DWORD kPlainEdit = kChild | kBorder | kTabStop | kEsAutoHScroll;
constexpr DWORD kDefaultButton = kChild | kTabStop | kBsDefPushButton;
constexpr DWORD kGroupButton = kChild | kGroup | kTabStop;
constexpr DWORD kButton = kChild | kTabStop;
constexpr DWORD kLabel = kChild | kGroup;
constexpr DWORD kRightLabel = kChild | kGroup | kSsRight;

// DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
constexpr DWORD kDialogStyle = 0x80u | 0x40u | 0x80000000u | 0x00C00000u | 0x00080000u;

static_assert(kPasswordEdit == 0x508100A0u);
static_assert(kPlainEdit == 0x50810080u);
static_assert(kDefaultButton == 0x50010001u);
static_assert(kGroupButton == 0x50030000u);
static_assert(kButton == 0x50010000u);
static_assert(kLabel == 0x50020000u);
static_assert(kRightLabel == 0x50020002u);
static_assert(kDialogStyle == 0x80C800C0u);

struct ExpectedControl {
  int id;
  const char* kind;
  const char* text;
  DWORD style;
  int x, y, cx, cy;
};

struct ExpectedDialog {
  UINT id;
  const char* caption;
  int cx, cy;
  std::vector<ExpectedControl> controls;
};

const char kFontFace[] = "ＭＳ Ｐゴシック";

const std::vector<ExpectedDialog>& ExpectedDialogs() {
  static const std::vector<ExpectedDialog> dialogs = {
      {830,
       "ﾊﾟｽﾜｰﾄﾞﾁｪｯｸ",
       159,
       49,
       {
           {3301, "EDITTEXT", "", kPasswordEdit, 20, 25, 75, 15},
           {1, "DEFPUSHBUTTON", "OK", kDefaultButton, 100, 26, 45, 14},
           {-1, "LTEXT", "変更用のパスワードを入力してください。", kLabel, 10, 10, 125, 10},
       }},
      {831,
       "ﾊﾟｽﾜｰﾄﾞ変更",
       143,
       159,
       {
           {3301, "EDITTEXT", "", kPasswordEdit, 74, 35, 55, 15},
           {3303, "EDITTEXT", "", kPasswordEdit, 74, 55, 55, 15},
           {3304, "EDITTEXT", "", kPasswordEdit, 74, 75, 55, 15},
           {1, "DEFPUSHBUTTON", "OK", kDefaultButton, 19, 135, 50, 14},
           {-1, "LTEXT", "検査設定用のﾊﾟｽﾜｰﾄﾞを変更します。\n ( ※ﾊﾟｽﾜｰﾄﾞは8文字までです。 )",
            kLabel, 10, 10, 125, 20},
           {-1, "RTEXT", "元のﾊﾟｽﾜｰﾄﾞ", kRightLabel, 24, 39, 45, 10},
           {-1, "RTEXT", "新しいﾊﾟｽﾜｰﾄﾞ", kRightLabel, 24, 59, 45, 10},
           {-1, "RTEXT", "確認の為、再入力", kRightLabel, 15, 79, 54, 10},
           {2, "PUSHBUTTON", "ｷｬﾝｾﾙ", kGroupButton, 74, 135, 50, 14},
           {-1, "LTEXT", "※設定を解除するには新しいﾊﾟｽﾜｰﾄﾞを\n　 空白にしてください。", kLabel, 15,
            103, 120, 18},
       }},
      // Every control it always had, the limits by day added, OK and Cancel
      // moved down to make room.
      {832,
       "設定変更 ( HourgaugeLite ver1.1 )",
       150,
       157,
       {
           {-1, "LTEXT", "使用制限の設定を変更します。\nパスワード入力が必要です。", kLabel, 10, 10,
            125, 20},
           {-1, "RTEXT", "一日の使用上限（分）", kRightLabel, 5, 39, 64, 10},
           {3301, "EDITTEXT", "", kPlainEdit, 74, 37, 55, 12},
           {1000, "PUSHBUTTON", "本日の使用制限リセット", kButton, 25, 60, 95, 15},
           {-1, "RTEXT", "開始時間調整（分）", kRightLabel, 5, 89, 64, 10},
           {3302, "EDITTEXT", "", kPlainEdit, 74, 87, 55, 12},
           {1001, "PUSHBUTTON", "曜日ごとの制限(&D)...", kButton, 25, 108, 95, 15},
           {1, "DEFPUSHBUTTON", "OK", kDefaultButton, 20, 133, 50, 14},
           {2, "PUSHBUTTON", "ｷｬﾝｾﾙ", kGroupButton, 75, 133, 50, 14},
       }},
      {833,
       "使用時間の延長",
       150,
       72,
       {
           {-1, "LTEXT", "今日の残り時間を延長します。\n明日の使用時間は変わりません。", kLabel, 10,
            8, 135, 20},
           {-1, "RTEXT", "延長する時間（分）", kRightLabel, 5, 33, 64, 10},
           {3305, "EDITTEXT", "", kPlainEdit, 74, 31, 55, 12},
           {1, "DEFPUSHBUTTON", "OK", kDefaultButton, 20, 52, 50, 14},
           {2, "PUSHBUTTON", "ｷｬﾝｾﾙ", kGroupButton, 75, 52, 50, 14},
       }},
      {834,
       "曜日ごとの制限",
       150,
       188,
       {
           {-1, "LTEXT",
            "曜日ごとの使用上限（分）です。\n空欄なら一日の使用上限です。\n就寝時刻も空欄ならありま"
            "せん。",
            kLabel, 10, 6, 135, 28},
           {-1, "RTEXT", "日曜日", kRightLabel, 5, 40, 64, 10},
           {3306, "EDITTEXT", "", kPlainEdit, 74, 38, 55, 12},
           {-1, "RTEXT", "月曜日", kRightLabel, 5, 55, 64, 10},
           {3307, "EDITTEXT", "", kPlainEdit, 74, 53, 55, 12},
           {-1, "RTEXT", "火曜日", kRightLabel, 5, 70, 64, 10},
           {3308, "EDITTEXT", "", kPlainEdit, 74, 68, 55, 12},
           {-1, "RTEXT", "水曜日", kRightLabel, 5, 85, 64, 10},
           {3309, "EDITTEXT", "", kPlainEdit, 74, 83, 55, 12},
           {-1, "RTEXT", "木曜日", kRightLabel, 5, 100, 64, 10},
           {3310, "EDITTEXT", "", kPlainEdit, 74, 98, 55, 12},
           {-1, "RTEXT", "金曜日", kRightLabel, 5, 115, 64, 10},
           {3311, "EDITTEXT", "", kPlainEdit, 74, 113, 55, 12},
           {-1, "RTEXT", "土曜日", kRightLabel, 5, 130, 64, 10},
           {3312, "EDITTEXT", "", kPlainEdit, 74, 128, 55, 12},
           {-1, "RTEXT", "就寝時刻（例 21:30）", kRightLabel, 2, 149, 67, 10},
           {3313, "EDITTEXT", "", kPlainEdit, 74, 147, 55, 12},
           {1, "DEFPUSHBUTTON", "OK", kDefaultButton, 20, 168, 50, 14},
           {2, "PUSHBUTTON", "ｷｬﾝｾﾙ", kGroupButton, 75, 168, 50, 14},
       }},
  };
  return dialogs;
}

std::string Hex(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
    out += ' ';
  }
  return out;
}

#define EXPECT_BYTES(expected, actual) EXPECT_EQ(Hex(expected), Hex(actual))

TEST(ResourceTexts, LanguageIsJapanese) {
  EXPECT_EQ(LoadRcResources().language, 0x0411);
}

TEST(ResourceTexts, MainMenuFirstPopupHasTheItemsInOrder) {
  const RcResources& res = LoadRcResources();
  ASSERT_EQ(res.menus.size(), 1u);
  ASSERT_EQ(res.menus.count(128), 1u);
  const RcMenu& menu = res.menus.at(128);
  EXPECT_EQ(menu.id, 128u);
  ASSERT_EQ(menu.items.size(), 4u);
  const RcMenuItem& file = menu.items[0];
  EXPECT_TRUE(file.popup);
  EXPECT_BYTES("ﾌｧｲﾙ(&F)", file.text);
  EXPECT_BYTES("\xCC\xA7\xB2\xD9(&F)", file.text); // half-width katakana: one byte each

  struct Item {
    bool separator;
    UINT id;
    const char* text;
  };
  const Item expected[] = {
      {false, 32771, "パスワード変更(&P)"},
      {false, 32772, "設定変更(&S)"},
      {false, 32781, "延長(&E)..."},
      {false, 32780, "使用履歴(&H)..."},
      {true, 0, ""},
      {false, 32777, "アンインストール(&U)"},
      {true, 0, ""},
      {false, 32773, "終了(&X)"},
  };
  ASSERT_EQ(file.items.size(), std::size(expected));
  for (std::size_t i = 0; i < file.items.size(); ++i) {
    SCOPED_TRACE("menu item " + std::to_string(i));
    const RcMenuItem& item = file.items[i];
    EXPECT_EQ(item.separator, expected[i].separator);
    EXPECT_FALSE(item.popup);
    EXPECT_TRUE(item.items.empty());
    EXPECT_EQ(item.id, expected[i].id);
    EXPECT_BYTES(expected[i].text, item.text);
  }
  EXPECT_BYTES("\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68\x95\xCF\x8D\x58(&P)", file.items[0].text);
}

// The framework's edit, view and help popups follow the first; nothing shows
// them.
TEST(ResourceTexts, MainMenuFurtherPopupsAreTheFrameworksOwn) {
  const RcMenu& menu = LoadRcResources().menus.at(128);
  ASSERT_EQ(menu.items.size(), 4u);
  struct Item {
    UINT id;
    const char* text;
  };
  struct Popup {
    const char* text;
    std::vector<Item> items; // id 0: separator
  };
  const Popup expected[] = {
      {"編集(&E)",
       {{57643, "元に戻す(&U)\tCtrl+Z"},
        {0, ""},
        {57635, "切り取り(&T)\tCtrl+X"},
        {57634, "コピー(&C)\tCtrl+C"},
        {57637, "貼り付け(&P)\tCtrl+V"}}},
      {"表示(&V)", {{59393, "ステータス バー(&S)"}}},
      {"ヘルプ(&H)", {{57664, "バージョン情報 HourgaugeLite(&A)..."}}},
  };
  for (std::size_t p = 0; p < std::size(expected); ++p) {
    SCOPED_TRACE("popup " + std::to_string(p + 1));
    const RcMenuItem& popup = menu.items[p + 1];
    EXPECT_TRUE(popup.popup);
    EXPECT_BYTES(expected[p].text, popup.text);
    ASSERT_EQ(popup.items.size(), expected[p].items.size());
    for (std::size_t i = 0; i < popup.items.size(); ++i) {
      EXPECT_EQ(popup.items[i].separator, expected[p].items[i].id == 0);
      EXPECT_EQ(popup.items[i].id, expected[p].items[i].id);
      EXPECT_BYTES(expected[p].items[i].text, popup.items[i].text);
    }
  }
}

TEST(ResourceTexts, DialogsMatchByteForByte) {
  const RcResources& res = LoadRcResources();
  ASSERT_EQ(res.dialogs.size(), ExpectedDialogs().size());
  for (const ExpectedDialog& want : ExpectedDialogs()) {
    SCOPED_TRACE("dialog " + std::to_string(want.id));
    ASSERT_EQ(res.dialogs.count(want.id), 1u);
    const RcDialog& d = res.dialogs.at(want.id);
    EXPECT_EQ(d.id, want.id);
    EXPECT_BYTES(want.caption, d.caption);
    EXPECT_EQ(d.style, kDialogStyle);
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, want.cx);
    EXPECT_EQ(d.cy, want.cy);
    EXPECT_EQ(d.pointSize, 9);
    EXPECT_BYTES(kFontFace, d.fontFace);
    ASSERT_EQ(d.controls.size(), want.controls.size());
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
      SCOPED_TRACE("control " + std::to_string(i + 1));
      const RcControl& got = d.controls[i];
      const ExpectedControl& c = want.controls[i];
      EXPECT_EQ(got.id, c.id);
      EXPECT_EQ(got.kind, c.kind);
      EXPECT_BYTES(c.text, got.text);
      EXPECT_EQ(got.style, c.style) << std::hex << got.style << " vs " << c.style;
      EXPECT_EQ(got.exStyle, 0u);
      EXPECT_EQ(got.x, c.x);
      EXPECT_EQ(got.y, c.y);
      EXPECT_EQ(got.cx, c.cx);
      EXPECT_EQ(got.cy, c.cy);
    }
  }
}

TEST(ResourceTexts, ConversionsOfTheTrickyCharacters) {
  const RcResources& res = LoadRcResources();
  // MS P Gothic in full-width letters, with an ASCII blank between.
  EXPECT_BYTES("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E",
               res.dialogs.at(830).fontFace);
  EXPECT_BYTES("\xCA\xDF\xBD\xDC\xB0\xC4\xDE\xC1\xAA\xAF\xB8", res.dialogs.at(830).caption);
  // The hint's second line starts with an ideographic space, then a blank.
  const std::string& hint = res.dialogs.at(831).controls.at(9).text;
  std::size_t lf = hint.find('\n');
  ASSERT_NE(lf, std::string::npos);
  EXPECT_BYTES("\n\x81\x40 ", hint.substr(lf, 4));
  EXPECT_EQ(hint.find('\r'), std::string::npos);
  // Full-width parentheses in the settings labels.
  EXPECT_BYTES("\x81\x69\x95\xAA\x81\x6A", res.dialogs.at(832).controls.at(1).text.substr(14));
  // The cancel button: five half-width katakana bytes.
  EXPECT_BYTES("\xB7\xAC\xDD\xBE\xD9", res.dialogs.at(832).controls.at(8).text);
  // The length note ends " )" after the full stop.
  const std::string& note = res.dialogs.at(831).controls.at(4).text;
  EXPECT_BYTES("\x81\x42 )", note.substr(note.size() - 4));
}

TEST(ResourceTexts, ControlKindsAreRecognised) {
  const RcDialog& change = LoadRcResources().dialogs.at(831);
  const RcControl* oldPassword = change.FindControl(3301);
  ASSERT_NE(oldPassword, nullptr);
  EXPECT_TRUE(oldPassword->IsEdit());
  EXPECT_TRUE(oldPassword->IsPassword());
  EXPECT_FALSE(oldPassword->IsButton());
  const RcControl* cancel = change.FindControl(2);
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(cancel->IsButton());
  EXPECT_FALSE(cancel->IsEdit());
  EXPECT_EQ(change.FindControl(4242), nullptr);
  const RcControl* limit = LoadRcResources().dialogs.at(832).FindControl(3301);
  ASSERT_NE(limit, nullptr);
  EXPECT_TRUE(limit->IsEdit());
  EXPECT_FALSE(limit->IsPassword());
}

TEST(ResourceTexts, StringTable) {
  const RcResources& res = LoadRcResources();
  ASSERT_EQ(res.strings.size(), 40u);
  EXPECT_BYTES("Hourgauge", res.strings.at(57344));
  EXPECT_BYTES("%1 から %2 までの整数を入力してください。", res.strings.at(61714));
  EXPECT_BYTES("%1 文字以内で入力してください。", res.strings.at(61716));
  EXPECT_BYTES("正の整数を入力してください。", res.strings.at(61719));
  // Notices before a forced power-off.
  EXPECT_BYTES("あと10分でパソコンの電源が切れます。作業を保存してください。", res.strings.at(200));
  EXPECT_BYTES("あと5分でパソコンの電源が切れます。作業を保存してください。", res.strings.at(201));
  EXPECT_BYTES("あと1分でパソコンの電源が切れます。作業を保存してください。", res.strings.at(202));
  EXPECT_BYTES("今日の使用時間は終わりました。まもなく電源が切れます。作業を保存してください。",
               res.strings.at(203));
  EXPECT_BYTES("電源が切れるまで あと %d 秒", res.strings.at(204));
  EXPECT_BYTES("MS UI Gothic", res.strings.at(205));
  // The program's own texts, exactly as they were when they lived in code.
  EXPECT_BYTES("LastTime( %02dmin )%s", res.strings.at(210));
  EXPECT_BYTES("\n %d%s(%dmin) %d%s(%dmin) %d%s(%dmin)", res.strings.at(211));
  EXPECT_BYTES("日|日|日|日", res.strings.at(212));
  EXPECT_BYTES("パスワード設定(&P)", res.strings.at(213));
  EXPECT_BYTES("Warning", res.strings.at(214));
  EXPECT_BYTES("Old Password is not correct. Please input again...  ", res.strings.at(215));
  EXPECT_BYTES("New Password does not match. Please input again...  ", res.strings.at(216));
  EXPECT_BYTES("New Password is not correct. Please try another password...  ",
               res.strings.at(217));
  EXPECT_BYTES("Password Error", res.strings.at(218));
  EXPECT_BYTES("Password is not correct.     ", res.strings.at(219));
  EXPECT_BYTES("HourgaugeLiteを削除するために、Windowsを再起動してください。  ",
               res.strings.at(220));
  EXPECT_BYTES("HourgaugeLite", res.strings.at(221));
  EXPECT_BYTES("アンインストールするには、HourgaugeLite を管理者として実行してください。",
               res.strings.at(IDS_UNINSTALL_NEEDS_ADMIN));
  EXPECT_BYTES("HourgaugeLite をアンインストールできませんでした。HourgaugeLite は動作を続けます。",
               res.strings.at(IDS_UNINSTALL_FAILED));
  EXPECT_BYTES("今日の使用時間が終わりました。パソコンの電源を切ります。",
               res.strings.at(IDS_NOTICE_TIME_UP));
  EXPECT_BYTES("HourgaugeLite サービスが動いていません。", res.strings.at(IDS_SERVICE_NOT_RUNNING));
  EXPECT_BYTES("HourgaugeLite サービスが動いていないため、この操作はできません。",
               res.strings.at(IDS_SERVICE_REFUSED));
  EXPECT_BYTES(
      "パスワードの誤りが続いたため、しばらく受け付けません。少し待ってからやり直してください。",
      res.strings.at(IDS_PASSWORD_LOCKED));
  EXPECT_BYTES("設定すると今すぐパソコンの電源が切れます。続けますか?",
               res.strings.at(IDS_SETTINGS_POWER_OFF));
  EXPECT_BYTES("就寝時刻は 21:30 のように 時:分 で入力してください。空欄なら就寝時刻はありません。",
               res.strings.at(IDS_BEDTIME_FORMAT));
  // The usage history window and the later stored day's prompt.
  EXPECT_BYTES("使用履歴: 今日 %d分 (上限 %d分)、昨日 %d分、おととい %d分",
               res.strings.at(IDS_HISTORY_SUMMARY));
  EXPECT_BYTES("日|月|火|水|木|金|土", res.strings.at(IDS_HISTORY_WEEKDAYS));
  EXPECT_BYTES("%s\n%d/%d", res.strings.at(IDS_HISTORY_DAY));
  EXPECT_BYTES("%d分", res.strings.at(IDS_HISTORY_MINUTES));
  EXPECT_BYTES("今日の使用", res.strings.at(IDS_HISTORY_TODAY));
  EXPECT_BYTES("昨日の使用", res.strings.at(IDS_HISTORY_YESTERDAY));
  // The wave dash of code page 932 (0x8160) between the times.
  EXPECT_BYTES("%d:%02d\x81\x60%d:%02d (%d分)", res.strings.at(IDS_HISTORY_SESSION));
  EXPECT_BYTES("(なし)", res.strings.at(IDS_HISTORY_NONE));
  EXPECT_BYTES("日付の確認: 今日を使用日にするパスワード", res.strings.at(IDS_LATER_DAY_CAPTION));
  EXPECT_BYTES("今日より後の日付が記録されています(時計か日付の誤りかもしれません)。保護者が "
               "HourgaugeLite にパスワードを入力しないと、1分後にパソコンの電源が切れます。",
               res.strings.at(IDS_NOTICE_LATER_DAY));
}

TEST(ResourceTexts, VersionBlockFollowsVersionHeader) {
  const RcResources& res = LoadRcResources();
  const std::string fromHeader =
      std::to_string(HG_VERSION_MAJOR) + "." + std::to_string(HG_VERSION_MINOR) + "." +
      std::to_string(HG_VERSION_PATCH) + "." + std::to_string(HG_VERSION_BUILD);
  EXPECT_EQ(std::string(HG_VERSION_STRING), fromHeader);
  EXPECT_EQ(res.versionString, "1.1.0.0");
  const std::array<int, 4> numbers = {1, 1, 0, 0};
  EXPECT_EQ(res.fileVersion, numbers);
  EXPECT_EQ(res.productVersion, numbers);
  EXPECT_EQ(res.versionBlock, "041104b0");
  const std::map<std::string, std::string> values = {
      {"CompanyName", ""},
      {"FileDescription", "HourgaugeLite"},
      {"FileVersion", "1.1.0.0"},
      {"InternalName", "hourgauge"},
      {"OriginalFilename", "hourgauge.exe"},
      {"ProductName", "HourgaugeLite"},
      {"ProductVersion", "1.1.0.0"},
  };
  EXPECT_EQ(res.versionValues, values);
  EXPECT_EQ(res.translation, (std::vector<unsigned>{0x411, 1200}));
}

// ---------------------------------------------------------------------------
// The icon file

std::uint32_t Le(const std::vector<unsigned char>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = (v << 8) | b.at(at + i);
  return v;
}

std::string RcDir() {
  std::string path = HG_RC_PATH;
  return path.substr(0, path.find_last_of('/'));
}

// The manifest Windows reads before the program starts: system DPI aware,
// Common Controls 6, every Windows from Vista to 11 named, and no execution
// level (which would end the registry redirection a standard account's
// writes rely on).
TEST(ResourceTexts, ManifestDeclaresWhatWindowsReadsAndNoExecutionLevel) {
  const RcResources& res = LoadRcResources();
  ASSERT_EQ(res.manifests.size(), 1u);
  ASSERT_EQ(res.manifests.count(1), 1u); // CREATEPROCESS_MANIFEST_RESOURCE_ID
  std::ifstream in(RcDir() + "/" + res.manifests.at(1), std::ios::binary);
  ASSERT_TRUE(in) << "cannot open the manifest";
  const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto has = [&xml](const std::string& text) { return xml.find(text) != std::string::npos; };
  EXPECT_TRUE(has("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
  EXPECT_TRUE(has("<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"));
  EXPECT_TRUE(has("version=\"" HG_VERSION_STRING "\" processorArchitecture=\"x86\""))
      << "the program's own identity follows res/version.h";
  EXPECT_TRUE(has(
      "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"));
  EXPECT_TRUE(has("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
  EXPECT_TRUE(has("publicKeyToken=\"6595b64144ccf1df\""));
  for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
                         "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) // 10 and 11
    EXPECT_TRUE(has(std::string("<supportedOS Id=\"") + os + "\"/>")) << os;
  EXPECT_FALSE(has("trustInfo"));
  EXPECT_FALSE(has("requestedExecutionLevel"));
  EXPECT_FALSE(has("requestedPrivileges"));
}

struct IconImage {
  int size = 0;
  int bpp = 0;
  std::uint32_t bytes = 0;
  std::uint32_t offset = 0;
};

TEST(ResourceTexts, IconHasTheClassicAndTheTrueColourImages) {
  const RcResources& res = LoadRcResources();
  ASSERT_EQ(res.icons.size(), 1u);
  ASSERT_EQ(res.icons.count(128), 1u);
  EXPECT_EQ(res.icons.at(128), "hourgauge.ico");

  std::ifstream in(RcDir() + "/" + res.icons.at(128), std::ios::binary);
  ASSERT_TRUE(in) << "cannot open the icon";
  std::vector<unsigned char> ico((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(Le(ico, 0, 2), 0u); // reserved
  EXPECT_EQ(Le(ico, 2, 2), 1u); // type: icon
  ASSERT_EQ(Le(ico, 4, 2), 6u); // six images
  ASSERT_GE(ico.size(), 6u + 6 * 16);

  struct Want {
    int size, bpp, colourCount;
    std::uint32_t bytes;
  };
  // The classic three, then true colour with alpha at the small-icon sizes
  // of 125, 150 and 200 % scaling.
  const Want want[] = {{32, 4, 16, 744},  {32, 8, 0, 2216},  {16, 4, 16, 296},
                       {20, 32, 0, 1720}, {24, 32, 0, 2440}, {32, 32, 0, 4264}};
  std::uint32_t expectedOffset = 6 + 6 * 16;
  std::vector<IconImage> images;
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE("image " + std::to_string(i));
    std::size_t e = 6 + 16 * i;
    EXPECT_EQ(ico[e + 0], want[i].size);
    EXPECT_EQ(ico[e + 1], want[i].size);
    EXPECT_EQ(ico[e + 2], want[i].colourCount);
    EXPECT_EQ(ico[e + 3], 0);
    EXPECT_EQ(Le(ico, e + 4, 2), 1u);
    EXPECT_EQ(Le(ico, e + 6, 2), static_cast<std::uint32_t>(want[i].bpp));
    EXPECT_EQ(Le(ico, e + 8, 4), want[i].bytes);
    EXPECT_EQ(Le(ico, e + 12, 4), expectedOffset);
    // header + palette + colour bitmap + mask, rows padded to four bytes
    const int s = want[i].size;
    const std::uint32_t paletteBytes = want[i].bpp <= 8 ? 4u << want[i].bpp : 0;
    const std::uint32_t computed =
        40 + paletteBytes + ((s * want[i].bpp + 31) / 32 * 4) * s + ((s + 31) / 32 * 4) * s;
    EXPECT_EQ(computed, want[i].bytes);
    images.push_back({s, want[i].bpp, Le(ico, e + 8, 4), Le(ico, e + 12, 4)});
    expectedOffset += want[i].bytes;
  }
  EXPECT_EQ(ico.size(), expectedOffset) << "the file holds exactly the six images";
  ASSERT_LE(expectedOffset, ico.size());

  for (const IconImage& img : images) {
    SCOPED_TRACE("image " + std::to_string(img.size) + "x" + std::to_string(img.size) + "x" +
                 std::to_string(img.bpp));
    const std::size_t h = img.offset;
    EXPECT_EQ(Le(ico, h, 4), 40u);                                          // BITMAPINFOHEADER
    EXPECT_EQ(Le(ico, h + 4, 4), static_cast<std::uint32_t>(img.size));     // width
    EXPECT_EQ(Le(ico, h + 8, 4), static_cast<std::uint32_t>(img.size * 2)); // colour + mask
    EXPECT_EQ(Le(ico, h + 12, 2), 1u);
    EXPECT_EQ(Le(ico, h + 14, 2), static_cast<std::uint32_t>(img.bpp));
    EXPECT_EQ(Le(ico, h + 16, 4), 0u); // BI_RGB
    const std::uint32_t clrUsed = Le(ico, h + 32, 4);
    EXPECT_TRUE(clrUsed == 0 || (img.bpp <= 8 && clrUsed == (1u << img.bpp)));

    const std::size_t palette = h + 40;
    const std::size_t xorAt = palette + (img.bpp <= 8 ? 4u << img.bpp : 0);
    const std::size_t xorStride = (img.size * img.bpp + 31) / 32 * 4;
    const std::size_t andAt = xorAt + xorStride * img.size;
    const std::size_t andStride = (img.size + 31) / 32 * 4;
    ASSERT_EQ(andAt + andStride * img.size, h + img.bytes);

    auto transparent = [&](int x, int y) { // y from the top
      std::size_t row = andAt + andStride * (img.size - 1 - y);
      return (ico[row + x / 8] & (0x80 >> (x % 8))) != 0;
    };
    auto colour = [&](int x, int y) {
      std::size_t row = xorAt + xorStride * (img.size - 1 - y);
      if (img.bpp == 32) // blue, green, red, alpha
        return std::array<int, 3>{ico[row + 4 * x + 2], ico[row + 4 * x + 1], ico[row + 4 * x]};
      unsigned index = img.bpp == 8 ? ico[row + x]
                                    : (x % 2 == 0 ? ico[row + x / 2] >> 4 : ico[row + x / 2] & 15);
      std::size_t p = palette + 4 * index;
      return std::array<int, 3>{ico[p + 2], ico[p + 1], ico[p]}; // r, g, b
    };

    int clear = 0, orange = 0, white = 0, dark = 0;
    for (int y = 0; y < img.size; ++y) {
      for (int x = 0; x < img.size; ++x) {
        auto [r, g, b] = colour(x, y);
        if (transparent(x, y)) {
          ++clear;
          // masked pixels must be black, or Windows would XOR them onto the desktop
          EXPECT_TRUE(r == 0 && g == 0 && b == 0) << "pixel " << x << "," << y;
          continue;
        }
        if (r >= 200 && g <= 150 && b <= 100)
          ++orange;
        if (r >= 240 && g >= 240 && b >= 240)
          ++white;
        if (r <= 80 && g <= 80 && b <= 80)
          ++dark;
      }
    }
    const int area = img.size * img.size;
    EXPECT_TRUE(transparent(0, 0)) << "the corner shows the desktop";
    EXPECT_FALSE(transparent(img.size / 2, img.size / 2)) << "the face is opaque";
    EXPECT_GE(clear, area / 10);
    EXPECT_LE(clear, area / 2);
    // an orange-red clock with a white face and dark hands
    EXPECT_GE(orange, area / 10);
    EXPECT_GE(white, area / 10);
    EXPECT_GE(dark, area / 64);
    auto [r, g, b] = colour(img.size / 2 + img.size / 8, img.size / 2 + img.size / 8);
    EXPECT_TRUE(r >= 240 && g >= 240 && b >= 240) << "face below right of the centre is white";
  }
}

} // namespace
} // namespace hg::sim
