#include "platform/regfile/reg_tree.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "base/text_encoding.h"
#include "platform/regfile/reg_lines.h"
#include "platform/regfile/reg_strings.h"
#include "platform/registry_source.h"

namespace orlix::regfile {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

bool IsStringType(std::uint32_t type) {
  return type == reg_type::kSz || type == reg_type::kExpandSz || type == reg_type::kMultiSz;
}

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The ASCII part of both folds: the case tables change no other ASCII character.
struct AsciiFolds {
  unsigned char lower[128];
  unsigned char upper[128];
  constexpr AsciiFolds() : lower(), upper() {
    for (int c = 0; c < 128; ++c) {
      lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      upper[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
  }
};
constexpr AsciiFolds kAsciiFolds;

const unsigned char* AsciiFold(KeyFold fold) { return fold == KeyFold::kLower ? kAsciiFolds.lower : kAsciiFolds.upper; }

// FNV-1a over the folded UTF-16 code units, with the owner mixed in first.
std::uint32_t HashFolded(std::uint32_t owner, std::string_view name, KeyFold fold) {
  std::uint32_t h = 2166136261u ^ owner;
  h *= 16777619u;
  const unsigned char* ascii = AsciiFold(fold);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      for (char16_t unit : NameToUtf16(name.substr(i))) {
        h = (h ^ FoldUnit(unit, fold)) * 16777619u;
      }
      return h;
    }
    h = (h ^ ascii[c]) * 16777619u;
  }
  return h;
}

// Open addressing over entry indices; the caller tells whether an entry matches.
class NameIndex {
 public:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

  template <typename Matches>
  std::size_t Find(std::uint32_t hash, const Matches& matches) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.entry == kEmpty || (s.hash == hash && matches(s.entry))) return i;
    }
  }
  std::uint32_t At(std::size_t slot) const { return slots_[slot].entry; }
  // Stores an entry at the slot Find gave; the slot may hold an entry of the same name.
  void Put(std::size_t slot, std::uint32_t hash, std::uint32_t entry) {
    if (slots_[slot].entry == kEmpty) ++count_;
    slots_[slot] = {entry, hash};
    if (count_ * 4 > slots_.size() * 3) Grow();
  }
  void Reset(std::size_t capacity) {
    slots_.assign(capacity, Slot{});
    count_ = 0;
  }
  void Release() { std::vector<Slot>().swap(slots_); }

 private:
  struct Slot {
    std::uint32_t entry = kEmpty;
    std::uint32_t hash = 0;
  };
  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
      if (s.entry == kEmpty) continue;
      std::size_t i = s.hash & mask;
      while (slots_[i].entry != kEmpty) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace

// --- text ----------------------------------------------------------------------------------

std::string_view TextStore::Copy(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > kChunkSize / 4) {
    texts_.emplace_back(text);
    return texts_.back();
  }
  if (chunks_.empty() || chunkSize_ - chunkUsed_ < text.size()) {
    chunks_.push_back(std::make_unique<char[]>(kChunkSize));
    chunkUsed_ = 0;
    chunkSize_ = kChunkSize;
  }
  char* at = chunks_.back().get() + chunkUsed_;
  std::memcpy(at, text.data(), text.size());
  chunkUsed_ += text.size();
  return {at, text.size()};
}

std::string NameFromUtf16(std::u16string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) AppendUtf8(out, DecodeUtf16(name, &i));  // unpaired surrogates too
  return out;
}

// Names are valid UTF-8 from the files, or what NameFromUtf16 wrote.
std::u16string NameToUtf16(std::string_view name) {
  std::u16string out;
  out.reserve(name.size());
  std::size_t i = 0;
  auto next = [&]() -> char32_t {
    return i < name.size() ? static_cast<char32_t>(static_cast<unsigned char>(name[i++]) & 0x3F) : 0;
  };
  while (i < name.size()) {
    const auto b = static_cast<unsigned char>(name[i++]);
    char32_t cp = b;
    if (b >= 0xF0) {
      cp = (b & 0x07u) << 18;
      cp |= next() << 12;
      cp |= next() << 6;
      cp |= next();
    } else if (b >= 0xE0) {
      cp = (b & 0x0Fu) << 12;
      cp |= next() << 6;
      cp |= next();
    } else if (b >= 0xC0) {
      cp = (b & 0x1Fu) << 6;
      cp |= next();
    }
    AppendUtf16(out, cp);
  }
  return out;
}

std::size_t Utf16Length(std::string_view name) { return IsAscii(name) ? name.size() : NameToUtf16(name).size(); }

int CompareFolded(std::string_view a, std::string_view b, KeyFold fold) {
  const unsigned char* ascii = AsciiFold(fold);
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  while (true) {
    // Equal ASCII bytes fold equal: skip them, eight at a time where possible.
    for (std::uint64_t wa = 0, wb = 0; i + sizeof wa <= n; i += sizeof wa) {
      std::memcpy(&wa, a.data() + i, sizeof wa);
      std::memcpy(&wb, b.data() + i, sizeof wb);
      if (wa != wb || (wa & 0x8080808080808080ull)) break;
    }
    while (i < n && a[i] == b[i] && static_cast<unsigned char>(a[i]) < 0x80) ++i;
    if (i == n) break;
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if ((ca | cb) >= 0x80) break;
    if (ascii[ca] != ascii[cb]) return ascii[ca] < ascii[cb] ? -1 : 1;
    ++i;
  }
  if (i == n) {
    if (a.size() == b.size()) return 0;
    // The rest of the longer one is one or more code units.
    return a.size() < b.size() ? -1 : 1;
  }
  const std::u16string wa = NameToUtf16(a.substr(i));
  const std::u16string wb = NameToUtf16(b.substr(i));
  const std::size_t m = std::min(wa.size(), wb.size());
  for (std::size_t k = 0; k < m; ++k) {
    const char16_t fa = FoldUnit(wa[k], fold);
    const char16_t fb = FoldUnit(wb[k], fold);
    if (fa != fb) return fa < fb ? -1 : 1;
  }
  return wa.size() == wb.size() ? 0 : (wa.size() < wb.size() ? -1 : 1);
}

// --- values --------------------------------------------------------------------------------

std::string StoredBytes(const ValueData& value, AnsiCodePage page) {
  std::string bytes;
  std::string error;
  switch (value.form) {
    case ValueForm::kBytes:
      return std::string(value.raw.view());
    case ValueForm::kWineString: {
      std::u16string text;
      std::string quoted(value.raw.view());
      quoted.push_back('"');
      std::size_t pos = 0;
      ParseWineString(quoted, &pos, '"', &text, &error);
      text.push_back(u'\0');
      return Utf16ToBytes(text);
    }
    case ValueForm::kExportString: {
      std::string text;
      std::string quoted(value.raw.view());
      quoted.push_back('"');
      std::size_t pos = 0;
      ParseExportString(quoted, &pos, &text, &error);
      return Utf16ToBytes(Utf8ToUtf16(text) + u'\0');
    }
    case ValueForm::kHex:
      ParseHexBytes(value.raw, &bytes, &error);
      return bytes;
    case ValueForm::kHexAnsi:
      ParseHexBytes(value.raw, &bytes, &error);
      return Utf16ToBytes(AnsiToUtf16(bytes, page));
    case ValueForm::kDeleted:
      break;
  }
  return bytes;
}

namespace {

// ASCII text with escapes that give ASCII characters, unescaped; false for anything else.
bool UnescapeAscii(const ValueData& value, std::string* out) {
  const std::string_view raw = value.raw;
  if (!IsAscii(raw)) return false;
  out->clear();
  out->reserve(raw.size() + 1);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    // The text up to the next escape goes in whole: one copy rather than a store per byte.
    std::size_t run = i;
    while (run < raw.size() && raw[run] != '\\') ++run;
    if (run > i) {
      out->append(raw.data() + i, run - i);
      i = run - 1;
      continue;
    }
    char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      c = raw[++i];
      if (value.form == ValueForm::kExportString) {
        if (c == 'n') c = '\n';
        else if (c == 'r') c = '\r';
        else if (c == '0') c = '\0';
      } else {
        if (c == 'x' || (c >= '0' && c <= '7')) return false;  // a code unit: may be beyond ASCII
        static constexpr std::string_view kFrom = "abefnrtv";
        static constexpr std::string_view kTo = "\a\b\x1b\f\n\r\t\v";
        const std::size_t at = kFrom.find(c);
        if (at != std::string_view::npos) c = kTo[at];
      }
    }
    out->push_back(c);
  }
  return true;
}

}  // namespace

void DecodeValue(const ValueData& value, AnsiCodePage page, std::string* data, std::uint32_t* narrowSize) {
  const bool text = value.form == ValueForm::kWineString || value.form == ValueForm::kExportString;
  if (text && IsStringType(value.type)) {
    // ASCII text reads the same in every code page: the text and its terminator.
    std::string scratch;
    std::string* out = data ? data : &scratch;
    if (UnescapeAscii(value, out)) {
      out->push_back('\0');
      *narrowSize = static_cast<std::uint32_t>(out->size());
      return;
    }
  }
  if (value.form == ValueForm::kBytes && !IsStringType(value.type)) {
    *narrowSize = static_cast<std::uint32_t>(value.raw.size());
    if (data) data->assign(value.raw.view());
    return;
  }
  const std::string bytes = StoredBytes(value, page);
  if (IsStringType(value.type)) {
    const std::string ansi = Utf16ToAnsi(BytesToUtf16(bytes), page);
    *narrowSize = static_cast<std::uint32_t>(ansi.size());
    if (data) *data = AnsiToUtf8(ansi, page);
  } else {
    *narrowSize = static_cast<std::uint32_t>(bytes.size());
    if (data) *data = bytes;
  }
}

// --- frozen tree ---------------------------------------------------------------------------

std::int32_t RegTree::FindChild(std::uint32_t key, std::string_view name) const {
  const Key& k = keys[key];
  if (k.childCount == 0 || childIndex.empty()) return -1;
  const std::size_t mask = childIndex.size() - 1;
  for (std::size_t i = HashFolded(key, name, fold) & mask; childIndex[i] != 0; i = (i + 1) & mask) {
    const std::uint32_t child = childIndex[i];
    if (child - k.firstChild < k.childCount && CompareFolded(keys[child].name, name, fold) == 0) {
      return static_cast<std::int32_t>(child);
    }
  }
  return -1;
}

const ValueData* RegTree::FindValue(std::uint32_t key, std::string_view name) const {
  const Key& k = keys[key];
  auto first = valueOrder.begin() + k.firstValue;
  auto last = first + k.valueCount;
  auto it = std::lower_bound(first, last, name, [&](std::uint32_t a, std::string_view b) {
    return CompareFolded(values[a].name, b, fold) < 0;
  });
  if (it == last || CompareFolded(values[*it].name, name, fold) != 0) return nullptr;
  return &values[*it];
}

std::string RegTree::NarrowName(const Key& key, std::size_t* ansiLength) const {
  if (IsAscii(key.name)) {
    *ansiLength = key.name.size();
    return std::string(key.name.view());
  }
  const std::string ansi = Utf16ToAnsi(NameToUtf16(key.name), codePage);
  *ansiLength = ansi.size();
  return AnsiToUtf8(ansi, codePage);
}

// --- builder -------------------------------------------------------------------------------

struct RegTreeBuilder::Indexes {
  NameIndex keys;  // subkeys by (parent, folded name)
};

RegTreeBuilder::RegTreeBuilder(KeyFold fold, AnsiCodePage codePage)
    : fold_(fold), codePage_(codePage), text_(std::make_shared<TextStore>()) {
  nodes_.push_back(BuildNode());
  nodes_.push_back(BuildNode());
  indexes_ = std::make_unique<Indexes>();
  indexes_->keys.Reset(1024);
}

RegTreeBuilder::~RegTreeBuilder() = default;

RegTreeBuilder::Node RegTreeBuilder::Child(Node parent, std::string_view name) const {
  const std::uint32_t hash = HashFolded(parent, name, fold_);
  const NameIndex& index = indexes_->keys;
  const std::uint32_t entry = index.At(index.Find(hash, [&](std::uint32_t e) {
    return nodes_[e].parent == parent && CompareFolded(nodes_[e].name, name, fold_) == 0;
  }));
  if (entry == NameIndex::kEmpty || nodes_[entry].deleted) return kNone;
  return entry;
}

RegTreeBuilder::Node RegTreeBuilder::AddChild(Node parent, std::string_view name) {
  const std::uint32_t hash = HashFolded(parent, name, fold_);
  NameIndex& index = indexes_->keys;
  const std::size_t slot = index.Find(hash, [&](std::uint32_t e) {
    return nodes_[e].parent == parent && CompareFolded(nodes_[e].name, name, fold_) == 0;
  });
  const std::uint32_t found = index.At(slot);
  if (found != NameIndex::kEmpty && !nodes_[found].deleted) return found;
  const auto node = static_cast<Node>(nodes_.size());
  BuildNode n;
  n.name = text_->Copy(name);
  n.parent = parent;
  n.nextSibling = nodes_[parent].firstChild;
  nodes_.push_back(n);
  nodes_[parent].firstChild = node;
  index.Put(slot, hash, node);
  return node;
}

RegTreeBuilder::Node RegTreeBuilder::CreateKey(Layer layer, const std::vector<std::string_view>& path) {
  // Files list keys depth first, so consecutive key lines share their leading components:
  // resume below the deepest key that the previous call already walked.
  if (layer != cachedLayer_) {
    cachedPath_.clear();
    cachedNodes_.clear();
    cachedLayer_ = layer;
  }
  std::size_t depth = 0;
  Node node = static_cast<Node>(layer);
  std::size_t i = 0;
  for (; i < path.size(); ++i) {
    if (path[i].empty()) continue;
    if (depth < cachedPath_.size() && cachedPath_[depth] == path[i]) {
      node = cachedNodes_[depth++];
      continue;
    }
    break;
  }
  cachedPath_.resize(depth);
  cachedNodes_.resize(depth);
  for (; i < path.size(); ++i) {
    if (path[i].empty()) continue;
    node = AddChild(node, path[i]);
    cachedPath_.push_back(nodes_[node].name);
    cachedNodes_.push_back(node);
  }
  return node;
}

RegTreeBuilder::Node RegTreeBuilder::FindKey(Layer layer, const std::vector<std::string_view>& path) const {
  Node node = static_cast<Node>(layer);
  for (const auto& part : path) {
    if (part.empty()) continue;
    node = Child(node, part);
    if (node == kNone) return kNone;
  }
  return node;
}

void RegTreeBuilder::DeleteKey(Layer layer, const std::vector<std::string_view>& path) {
  const Node node = FindKey(layer, path);
  if (node == kNone || node == static_cast<Node>(layer)) return;  // the class root is never removed
  cachedPath_.clear();
  cachedNodes_.clear();
  nodes_[node].deleted = true;
}

// A key's values are a list of settings and deletions, newest first; Freeze keeps the newest
// of each name, so that no value needs finding while a file loads.
void RegTreeBuilder::SetValue(Node key, const ValueData& value) {
  ValueData kept = value;
  kept.name = text_->Copy(value.name);
  kept.raw = text_->Copy(value.raw);
  values_.push_back(kept);
  nextValue_.push_back(nodes_[key].firstValue);
  nodes_[key].firstValue = static_cast<std::uint32_t>(values_.size() - 1);
}

void RegTreeBuilder::DeleteValue(Node key, std::string_view name) {
  ValueData deletion;
  deletion.name = name;
  deletion.form = ValueForm::kDeleted;
  SetValue(key, deletion);
}

void RegTreeBuilder::MarkLink(Node key) { nodes_[key].link = true; }

std::shared_ptr<const RegTree> RegTreeBuilder::Freeze() {
  indexes_->keys.Release();

  auto tree = std::make_shared<RegTree>();
  tree->fold = fold_;
  tree->codePage = codePage_;
  tree->text = text_;
  const KeyFold fold = fold_;
  auto less = [fold](std::string_view a, std::string_view b) { return CompareFolded(a, b, fold) < 0; };

  // The values of a node by folded name: of each name the newest setting, unless a deletion.
  std::vector<std::uint32_t> settings;
  auto valuesOf = [&](Node node, std::vector<std::uint32_t>* out) {
    if (node == kNone) return;
    settings.clear();
    for (std::uint32_t v = nodes_[node].firstValue; v != kNone; v = nextValue_[v]) settings.push_back(v);
    std::stable_sort(settings.begin(), settings.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return less(values_[a].name, values_[b].name); });
    for (std::size_t i = 0; i < settings.size(); ++i) {
      const std::uint32_t newest = settings[i];
      while (i + 1 < settings.size() && CompareFolded(values_[settings[i + 1]].name, values_[newest].name, fold) == 0) ++i;
      if (values_[newest].form != ValueForm::kDeleted) out->push_back(newest);
    }
  };
  auto childrenOf = [&](Node node, std::vector<Node>* out) {
    if (node == kNone) return;
    for (Node c = nodes_[node].firstChild; c != kNone; c = nodes_[c].nextSibling) {
      if (!nodes_[c].deleted) out->push_back(c);
    }
  };

  std::vector<std::pair<std::uint32_t, std::u16string>> links;
  std::vector<std::pair<Node, Node>> sources;  // per frozen key: machine and user node
  // The frozen tree has at most as many keys and values as the builder.
  sources.reserve(nodes_.size());
  tree->keys.reserve(nodes_.size());
  tree->valueOrder.reserve(values_.size());
  sources.emplace_back(0, 1);
  tree->keys.emplace_back();
  std::vector<std::uint32_t> machineValues, userValues;
  std::vector<Node> machineChildren, userChildren;

  for (std::size_t at = 0; at < tree->keys.size(); ++at) {
    const auto [machine, user] = sources[at];

    machineValues.clear();
    userValues.clear();
    valuesOf(machine, &machineValues);
    valuesOf(user, &userValues);
    const auto firstValue = static_cast<std::uint32_t>(tree->valueOrder.size());
    {
      // The user's classes win.
      auto m = machineValues.begin();
      auto u = userValues.begin();
      while (m != machineValues.end() || u != userValues.end()) {
        if (u == userValues.end()) {
          tree->valueOrder.push_back(*m++);
          continue;
        }
        if (m == machineValues.end()) {
          tree->valueOrder.push_back(*u++);
          continue;
        }
        const int c = CompareFolded(values_[*m].name, values_[*u].name, fold);
        if (c < 0) {
          tree->valueOrder.push_back(*m++);
        } else if (c > 0) {
          tree->valueOrder.push_back(*u++);
        } else {
          tree->valueOrder.push_back(*u++);
          ++m;
        }
      }
    }
    tree->keys[at].firstValue = firstValue;
    tree->keys[at].valueCount = static_cast<std::uint32_t>(tree->valueOrder.size()) - firstValue;

    const bool isLink = (user != kNone && nodes_[user].link) || (user == kNone && machine != kNone && nodes_[machine].link);
    if (isLink) {
      const Node source = user != kNone ? user : machine;
      for (std::uint32_t v = nodes_[source].firstValue; v != kNone; v = nextValue_[v]) {
        if (CompareFolded(values_[v].name, "SymbolicLinkValue", fold) != 0) continue;
        if (values_[v].form != ValueForm::kDeleted) {
          links.emplace_back(static_cast<std::uint32_t>(at), BytesToUtf16(StoredBytes(values_[v], codePage_)));
        }
        break;
      }
    }

    machineChildren.clear();
    userChildren.clear();
    childrenOf(machine, &machineChildren);
    childrenOf(user, &userChildren);
    auto byNode = [&](Node a, Node b) { return less(nodes_[a].name, nodes_[b].name); };
    // Lists hold the newest first; files list keys in order, so the reversed list is mostly sorted.
    for (auto* list : {&machineChildren, &userChildren}) {
      std::reverse(list->begin(), list->end());
      if (!std::is_sorted(list->begin(), list->end(), byNode)) std::sort(list->begin(), list->end(), byNode);
    }
    const auto firstChild = static_cast<std::uint32_t>(tree->keys.size());
    auto add = [&](Node m, Node u) {
      RegTree::Key child;
      child.name = nodes_[u != kNone ? u : m].name;
      tree->keys.push_back(child);
      sources.emplace_back(m, u);
    };
    auto m = machineChildren.begin();
    auto u = userChildren.begin();
    while (m != machineChildren.end() || u != userChildren.end()) {
      if (u == userChildren.end()) {
        add(*m++, kNone);
      } else if (m == machineChildren.end()) {
        add(kNone, *u++);
      } else {
        const int c = CompareFolded(nodes_[*m].name, nodes_[*u].name, fold);
        if (c < 0) {
          add(*m++, kNone);
        } else if (c > 0) {
          add(kNone, *u++);
        } else {
          add(*m++, *u++);
        }
      }
    }
    tree->keys[at].firstChild = firstChild;
    tree->keys[at].childCount = static_cast<std::uint32_t>(tree->keys.size()) - firstChild;
  }
  sources = {};
  tree->values = std::move(values_);

  // Lookups by name hash instead of searching the sorted subkeys: the scan opens keys by path.
  std::size_t slots = 16;
  while (slots < tree->keys.size() + tree->keys.size() / 3) slots *= 2;
  tree->childIndex.assign(slots, 0);
  for (std::size_t parent = 0; parent < tree->keys.size(); ++parent) {
    const RegTree::Key& k = tree->keys[parent];
    for (std::uint32_t child = k.firstChild; child < k.firstChild + k.childCount; ++child) {
      std::size_t i = HashFolded(static_cast<std::uint32_t>(parent), tree->keys[child].name, fold) & (slots - 1);
      while (tree->childIndex[i] != 0) i = (i + 1) & (slots - 1);
      tree->childIndex[i] = child;
    }
  }

  // Links are kernel paths; only targets inside a class root can be followed here.
  for (const auto& [index, target] : links) {
    std::vector<std::string> parts;
    std::u16string part;
    for (char16_t c : target + u"\\") {
      if (c == u'\\') {
        if (!part.empty()) parts.push_back(NameFromUtf16(part));
        part.clear();
      } else {
        part.push_back(c);
      }
    }
    auto is = [&](std::size_t i, std::string_view name) {
      return i < parts.size() && CompareFolded(parts[i], name, fold) == 0;
    };
    std::size_t start = 0;
    if (is(0, "Registry") && is(1, "Machine") && is(2, "Software") && is(3, "Classes")) {
      start = 4;
    } else if (is(0, "Registry") && is(1, "User") && is(3, "Software") && is(4, "Classes")) {
      start = 5;
    } else {
      continue;
    }
    std::int32_t at = 0;
    for (std::size_t i = start; i < parts.size() && at >= 0; ++i) at = tree->FindChild(static_cast<std::uint32_t>(at), parts[i]);
    if (at >= 0 && static_cast<std::uint32_t>(at) != index) tree->keys[index].linkTarget = at;
  }
  return tree;
}

}  // namespace orlix::regfile
