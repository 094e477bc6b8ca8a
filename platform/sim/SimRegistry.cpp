// The simulated registry: keys under HKEY_LOCAL_MACHINE with typed byte
// values, keys that refuse reading, writing or creation, and a journal of
// every access in order.
#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <cctype>

namespace hg::sim {
namespace {
constexpr int kUnreadable = 1;
constexpr int kReadOnly = 2;
constexpr int kUncreatable = 4;

bool WantsWrite(DWORD access) {
  return (access & (KEY_WRITE & ~0x20000)) != 0;
}
bool WantsRead(DWORD access) {
  return (access & (KEY_READ & ~0x20000)) != 0;
}
bool EqualNoCase(std::string_view a, std::string_view b) {
  return !CaseLess{}(a, b) && !CaseLess{}(b, a);
}
} // namespace

bool CaseLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

int SimPlatform::KeyFlags(std::string_view key) const {
  auto flags = m_keyFlags.find(key);
  return flags == m_keyFlags.end() ? 0 : flags->second;
}

namespace {
constexpr Hkey kFirstKeyHandle = 0x1000;
}

Hkey SimPlatform::OpenSlot(const char* path, DWORD access) {
  std::size_t slot = 0;
  while (slot < m_openKeys.size() && m_openKeys[slot].open)
    ++slot;
  if (slot == m_openKeys.size())
    m_openKeys.emplace_back();
  OpenKey& key = m_openKeys[slot];
  key.open = true;
  key.path.assign(path);
  key.access = access;
  return kFirstKeyHandle + slot;
}

SimPlatform::OpenKey* SimPlatform::FindOpenKey(Hkey key) {
  if (key < kFirstKeyHandle || key - kFirstKeyHandle >= m_openKeys.size())
    return nullptr;
  OpenKey& open = m_openKeys[key - kFirstKeyHandle];
  return open.open ? &open : nullptr;
}

void SimPlatform::Record(RegAccess access) {
  if (m_recording)
    m_regJournal.push_back(std::move(access));
}

LONG SimPlatform::RegOpenKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) {
  LONG status = ERROR_SUCCESS;
  int f = KeyFlags(subKey);
  if (root != kHkeyLocalMachine || m_keys.find(std::string_view(subKey)) == m_keys.end())
    status = ERROR_FILE_NOT_FOUND;
  else if ((WantsRead(access) && (f & kUnreadable)) || (WantsWrite(access) && (f & kReadOnly)))
    status = ERROR_ACCESS_DENIED;
  if (status == ERROR_SUCCESS) {
    *result = OpenSlot(subKey, access);
  }
  if (m_recording)
    Record(RegAccess{RegOp::Open, subKey, {}, {}, access, status});
  return status;
}

LONG SimPlatform::RegCreateKeyExA(Hkey root, const char* subKey, DWORD access, Hkey* result) {
  LONG status = ERROR_SUCCESS;
  int f = KeyFlags(subKey);
  if (root != kHkeyLocalMachine || (f & kUncreatable)) {
    status = ERROR_ACCESS_DENIED;
  } else {
    // Every key along the path comes into being.
    std::string path = subKey;
    for (std::size_t i = 0; i <= path.size(); ++i)
      if (i == path.size() || path[i] == '\\')
        m_keys.try_emplace(path.substr(0, i));
    *result = OpenSlot(subKey, access);
  }
  if (m_recording)
    Record(RegAccess{RegOp::Create, subKey, {}, {}, access, status});
  return status;
}

LONG SimPlatform::RegQueryValueExA(Hkey key, const char* name, DWORD* type, std::uint8_t* data,
                                   DWORD* cbData) {
  OpenKey* open = FindOpenKey(key);
  LONG status = ERROR_SUCCESS;
  if (open == nullptr || !WantsRead(open->access)) {
    status = ERROR_ACCESS_DENIED;
  } else {
    auto node = m_keys.find(open->path);
    const RegValue* value = nullptr;
    if (node != m_keys.end()) {
      auto v = node->second.values.find(std::string_view(name));
      if (v != node->second.values.end())
        value = &v->second;
    }
    if (value == nullptr) {
      status = ERROR_FILE_NOT_FOUND;
    } else {
      if (type != nullptr)
        *type = value->type;
      auto size = static_cast<DWORD>(value->data.size());
      if (data != nullptr && size > *cbData)
        status = ERROR_MORE_DATA;
      else if (data != nullptr)
        std::copy(value->data.begin(), value->data.end(), data);
      *cbData = size;
    }
  }
  if (m_recording)
    Record(RegAccess{RegOp::Query, open == nullptr ? "" : open->path, name, {}, 0, status});
  return status;
}

LONG SimPlatform::RegSetValueExA(Hkey key, const char* name, DWORD type, const std::uint8_t* data,
                                 DWORD cbData) {
  OpenKey* open = FindOpenKey(key);
  LONG status = ERROR_SUCCESS;
  if (open == nullptr || !WantsWrite(open->access)) {
    status = ERROR_ACCESS_DENIED;
  } else {
    auto node = m_keys.find(open->path);
    if (node == m_keys.end()) {
      status = ERROR_FILE_NOT_FOUND; // the key was deleted while open
    } else {
      auto [it, inserted] = node->second.values.try_emplace(name);
      it->second.type = type;
      // assign() reuses the buffer: a tick's writes cost no allocation.
      it->second.data.assign(reinterpret_cast<const char*>(data), cbData);
    }
  }
  if (m_recording)
    Record(RegAccess{RegOp::Set, open == nullptr ? "" : open->path, name,
                     std::string(reinterpret_cast<const char*>(data), cbData), type, status});
  return status;
}

LONG SimPlatform::RegDeleteValueA(Hkey key, const char* name) {
  OpenKey* open = FindOpenKey(key);
  LONG status = ERROR_FILE_NOT_FOUND;
  if (open == nullptr || !WantsWrite(open->access)) {
    status = ERROR_ACCESS_DENIED;
  } else {
    auto node = m_keys.find(open->path);
    if (node != m_keys.end() && node->second.values.erase(std::string(name)) > 0)
      status = ERROR_SUCCESS;
  }
  Record(RegAccess{RegOp::DeleteValue, open == nullptr ? "" : open->path, name, {}, 0, status});
  return status;
}

LONG SimPlatform::RegDeleteKeyA(Hkey root, const char* subKey) {
  LONG status = ERROR_FILE_NOT_FOUND;
  int f = KeyFlags(subKey);
  auto node = m_keys.find(std::string_view(subKey));
  if (root == kHkeyLocalMachine && node != m_keys.end()) {
    std::string prefix = std::string(subKey) + "\\";
    bool hasSubkeys = std::any_of(m_keys.begin(), m_keys.end(), [&](const auto& k) {
      return k.first.size() > prefix.size() &&
             EqualNoCase(k.first.substr(0, prefix.size()), prefix);
    });
    if (f & kReadOnly)
      status = ERROR_ACCESS_DENIED;
    else if (hasSubkeys)
      status = ERROR_ACCESS_DENIED; // RegDeleteKey removes no subtree
    else {
      m_keys.erase(node);
      status = ERROR_SUCCESS;
    }
  }
  Record(RegAccess{RegOp::DeleteKey, subKey, {}, {}, 0, status});
  return status;
}

LONG SimPlatform::RegCloseKey(Hkey key) {
  OpenKey* open = FindOpenKey(key);
  if (open == nullptr)
    return 6; // ERROR_INVALID_HANDLE
  open->open = false;
  return ERROR_SUCCESS;
}

void SimPlatform::SetRegText(const std::string& key, const std::string& name,
                             const std::string& text) {
  SetRegRaw(key, name, REG_SZ, text);
}

void SimPlatform::SetRegRaw(const std::string& key, const std::string& name, DWORD type,
                            const std::string& bytes) {
  for (std::size_t i = 0; i <= key.size(); ++i)
    if (i == key.size() || key[i] == '\\')
      m_keys.try_emplace(key.substr(0, i));
  m_keys[key].values[name] = RegValue{type, bytes};
}

std::optional<RegValue> SimPlatform::RegRaw(const std::string& key, const std::string& name) const {
  auto node = m_keys.find(key);
  if (node == m_keys.end())
    return std::nullopt;
  auto v = node->second.values.find(name);
  if (v == node->second.values.end())
    return std::nullopt;
  return v->second;
}

std::optional<std::string> SimPlatform::RegText(const std::string& key,
                                                const std::string& name) const {
  auto raw = RegRaw(key, name);
  if (!raw)
    return std::nullopt;
  return raw->data;
}

bool SimPlatform::RegKeyExists(const std::string& key) const {
  return m_keys.find(key) != m_keys.end();
}

void SimPlatform::MakeKeyUnreadable(const std::string& key, bool on) {
  m_keyFlags[key] = on ? (m_keyFlags[key] | kUnreadable) : (m_keyFlags[key] & ~kUnreadable);
}
void SimPlatform::MakeKeyReadOnly(const std::string& key, bool on) {
  m_keyFlags[key] = on ? (m_keyFlags[key] | kReadOnly) : (m_keyFlags[key] & ~kReadOnly);
}
void SimPlatform::MakeKeyUncreatable(const std::string& key, bool on) {
  m_keyFlags[key] = on ? (m_keyFlags[key] | kUncreatable) : (m_keyFlags[key] & ~kUncreatable);
}

std::vector<RegAccess> SimPlatform::RegWrites() const {
  std::vector<RegAccess> writes;
  for (const RegAccess& a : m_regJournal)
    if (a.op == RegOp::Set || a.op == RegOp::DeleteValue || a.op == RegOp::DeleteKey ||
        a.op == RegOp::Create)
      writes.push_back(a);
  return writes;
}

} // namespace hg::sim
