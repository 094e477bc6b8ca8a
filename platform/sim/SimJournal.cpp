// Every journal of the simulated Windows as one text, and its digest
// written at the end of each simulated run when HG_SIM_JOURNAL_LOG names a
// file: two builds of the program that behave alike write the same lines
// for the same tests and inputs.
#include "platform/sim/SimPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace hg::sim {
namespace {
void Put(std::ostringstream& out, const NotifyIconDataA& d) {
  out << d.cbSize << ' ' << d.hWnd << ' ' << d.uID << ' ' << d.uFlags << ' ' << d.uCallbackMessage
      << ' ' << d.hIcon << " [" << d.szTip << "] " << d.dwState << ' ' << d.dwStateMask << " ["
      << d.szInfo << "] " << d.uTimeoutOrVersion << " [" << d.szInfoTitle << "] " << d.dwInfoFlags;
}

std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}
} // namespace

std::string SimPlatform::JournalText() const {
  std::ostringstream out;
  for (const RegAccess& a : m_regJournal)
    out << "reg " << static_cast<int>(a.op) << ' ' << a.key << " [" << a.name << "] [" << a.data
        << "] " << a.access << ' ' << a.result << '\n';
  for (const TrayCall& c : m_trayCalls) {
    out << "tray " << c.message << ' ' << c.result << ' ';
    Put(out, c.data);
    out << '\n';
  }
  for (const PrivilegeAdjustment& p : m_privileges)
    out << "privilege " << p.token << ' ' << p.privilege << ' ' << p.attributes << ' '
        << p.disableAll << '\n';
  for (const PowerOffRequest& r : m_powerOffs)
    out << "exit " << r.flags << ' ' << r.reason << ' ' << r.time << ' ' << r.granted << '\n';
  for (const Msg& m : m_posted)
    out << "post " << m.hwnd << ' ' << m.message << ' ' << m.wParam << ' ' << m.lParam << '\n';
  for (const MessageBoxRecord& b : m_messageBoxes)
    out << "box " << b.owner << " [" << b.text << "] [" << b.caption << "] " << b.type << '\n';
  for (const DialogRecord& d : m_dialogs)
    out << "dialog " << d.templateId << ' ' << d.result << '\n';
  for (const PopupRecord& p : m_popups) {
    out << "popup " << p.flags << ' ' << p.x << ' ' << p.y << ' ' << p.owner;
    for (const auto& [id, text] : p.items)
      out << " (" << id << ' ' << text << ')';
    out << '\n';
  }
  for (const FileMove& f : m_fileMoves)
    out << "move " << f.existing << " [" << f.replacement.value_or("(null)") << "] " << f.flags
        << '\n';
  for (const ShutdownRequest& r : m_shutdowns)
    out << "initiate " << r.flags << ' ' << r.reason << ' ' << r.time << ' ' << r.result << '\n';
  for (const SessionMessage& m : m_sessionMessages)
    out << "wts " << m.session << " [" << m.title << "] [" << m.text << "] " << m.style << ' '
        << m.timeoutSeconds << '\n';
  for (const UserProcess& u : m_userProcesses)
    out << "spawn " << u.session << " [" << u.commandLine << "] " << u.time << '\n';
  if (m_pipeTransactions != 0 || m_serviceDeleted)
    out << "pipe " << m_pipeTransactions << " deleted " << m_serviceDeleted << '\n';
  out << "log " << m_eventLogReads << ' ' << m_recordsRead << ' ' << m_openLogs << '\n';
  out << "alloc " << m_allocsMade << ' ' << m_liveAllocs << '\n';
  out << "tokens " << m_openTokens << ' ' << m_privilegeEnabled << '\n';
  out << "slept " << m_sleptMs << " foreground " << m_foregroundCalls << " invalidate "
      << m_invalidateCalls << " icons " << m_liveIcons << " gdi " << m_liveGdiObjects << " menus "
      << m_liveMenus << " quit " << m_quitPosted << '\n';
  out << "script " << m_script.size() << ' ' << m_scriptErrors.size() << '\n';
  return out.str();
}

void SimPlatform::WriteJournalDigest() const {
  const char* path = std::getenv("HG_SIM_JOURNAL_LOG");
  if (path == nullptr || *path == '\0')
    return;
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr)
    return;
  std::string text = JournalText();
  std::fprintf(file, "%016llx %zu\n", static_cast<unsigned long long>(Fnv1a(text)), text.size());
  std::fclose(file);
  // HG_SIM_JOURNAL_DUMP names a folder: every run's whole text goes there
  // too, numbered, to compare where two digests differ.
  if (const char* dump = std::getenv("HG_SIM_JOURNAL_DUMP"); dump != nullptr && *dump != '\0') {
    static int s_nRun = 0;
    std::string name = std::string(dump) + "/" + std::to_string(s_nRun++) + ".txt";
    if (std::FILE* out = std::fopen(name.c_str(), "w")) {
      std::fwrite(text.data(), 1, text.size(), out);
      std::fclose(out);
    }
  }
}

bool SimPlatform::JournalRequested() {
  const char* path = std::getenv("HG_SIM_JOURNAL_LOG");
  return path != nullptr && *path != '\0';
}

} // namespace hg::sim
