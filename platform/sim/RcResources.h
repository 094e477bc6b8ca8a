// The program's resources as the simulated Windows sees them: read from the
// one resource script, res/hourgauge.rc, so that the menus, dialogs and
// string-table texts of the native tests are the ones the real exe carries.
//
// The parser reads just the statements hourgauge.rc uses (MENU, DIALOG,
// DIALOGEX, ICON, STRINGTABLE, VERSIONINFO, LANGUAGE, and the #pragma,
// #include, #define and #ifdef lines around them), one statement a line, and
// throws std::runtime_error naming the line of anything else. Control styles
// follow the resource compiler that builds the exe (GNU windres): the kind's
// default style when none is given; with an explicit style, the kind's base
// style plus the given bits (NOT clears bits).
//
// Every text is returned as code page 932 bytes, as the program sees its
// texts. A script may hold its menus, dialogs and strings in several
// LANGUAGE blocks; the first block's are the main ones.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "platform/WinDefs.h"

namespace hg::sim {

struct RcControl {
  int id = -1;
  std::string kind;    // "EDITTEXT","DEFPUSHBUTTON","PUSHBUTTON","LTEXT","RTEXT","CTEXT","ICON"
  std::string text;    // CP932; for ICON the icon's name or number
  hg::DWORD style = 0; // full style incl. WS_CHILD|WS_VISIBLE and the kind's implied bits
  hg::DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int line = 0; // line of the .rc that declares the control

  bool IsEdit() const;
  bool IsButton() const;
  bool IsPassword() const;
  bool IsStatic() const;
};

struct RcDialog {
  hg::UINT id = 0;
  bool extended = false; // DIALOGEX
  std::string caption;   // CP932
  hg::DWORD style = 0;
  hg::DWORD exStyle = 0;
  std::string fontFace; // CP932
  int pointSize = 0;
  int fontWeight = 0, fontItalic = 0, fontCharset = 1; // DIALOGEX fonts only
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<RcControl> controls; // in template order, which is the tab order

  // The first control with this id, or nullptr.
  const RcControl* FindControl(int controlId) const;
};

struct RcMenuItem {
  hg::UINT id = 0;
  std::string text; // CP932
  bool separator = false;
  bool popup = false;
  std::vector<RcMenuItem> items; // a POPUP's items
};

struct RcMenu {
  hg::UINT id = 0;
  std::vector<RcMenuItem> items; // top-level POPUPs
};

struct RcResources {
  std::map<hg::UINT, std::string> strings; // CP932
  std::map<hg::UINT, RcMenu> menus;
  std::map<hg::UINT, RcDialog> dialogs;
  std::map<hg::UINT, std::string> icons; // id -> file name
  int language = 0;                      // e.g. 0x0411

  // Version block: FileVersion of its StringFileInfo, all of its values
  // (CP932), the block's name ("041104b0") and the fixed numbers.
  std::string versionString;
  std::map<std::string, std::string> versionValues;
  std::string versionBlock;
  std::array<int, 4> fileVersion{};
  std::array<int, 4> productVersion{};
  std::vector<unsigned> translation; // VarFileInfo Translation: language, code page, ...

  // The strings, menus and dialogs of each further LANGUAGE block (icons and
  // the version block are the first language's, shared by all).
  std::vector<RcResources> translations;

  // The resources Windows chooses for a display language: the block of the
  // same primary language, else US English, else the first block.
  const RcResources& ForLanguage(int uiLanguage) const;
};

// Parses a resource script. Quoted #include files are read from includeDir;
// the one-argument form reads them beside HG_RC_PATH. Throws
// std::runtime_error("line N: ...") on anything it cannot read.
RcResources ParseRc(const std::string& utf8Text);
RcResources ParseRc(const std::string& utf8Text, const std::string& includeDir);

// res/hourgauge.rc (HG_RC_PATH), parsed once and kept.
const RcResources& LoadRcResources();

// UTF-8 to code page 932 bytes; throws std::runtime_error on invalid UTF-8
// or a character code page 932 does not have.
std::string Utf8ToCp932(const std::string& utf8);

} // namespace hg::sim
