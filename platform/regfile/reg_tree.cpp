#include "platform/regfile/reg_tree.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "platform/registry_source.h"

namespace orlix::regfile {

struct RegTreeBuilder::Node {
  struct Value {
    std::uint32_t type = 0;
    std::string bytes;
  };
  std::u16string name;
  std::map<std::u16string, std::unique_ptr<Node>> children;  // by folded name
  std::map<std::u16string, Value> values;                    // by folded name
  bool link = false;
};

namespace {

using Node = RegTreeBuilder::Node;

bool IsStringType(std::uint32_t type) {
  return type == reg_type::kSz || type == reg_type::kExpandSz || type == reg_type::kMultiSz;
}

template <typename Map, typename Fn>
void MergeSorted(const Map* machine, const Map* user, Fn fn) {
  static const Map kEmpty;
  const Map& a = machine ? *machine : kEmpty;
  const Map& b = user ? *user : kEmpty;
  auto ia = a.begin();
  auto ib = b.begin();
  while (ia != a.end() || ib != b.end()) {
    if (ib == b.end() || (ia != a.end() && ia->first < ib->first)) {
      fn(ia->first, &ia->second, nullptr);
      ++ia;
    } else if (ia == a.end() || ib->first < ia->first) {
      fn(ib->first, nullptr, &ib->second);
      ++ib;
    } else {
      fn(ia->first, &ia->second, &ib->second);
      ++ia, ++ib;
    }
  }
}

}  // namespace

std::int32_t RegTree::FindChild(std::uint32_t key, std::u16string_view folded) const {
  const Key& k = keys[key];
  auto first = keys.begin() + k.firstChild;
  auto last = first + k.childCount;
  auto it = std::lower_bound(first, last, folded, [](const Key& a, std::u16string_view b) { return a.folded < b; });
  if (it == last || it->folded != folded) return -1;
  return static_cast<std::int32_t>(it - keys.begin());
}

const RegTree::Value* RegTree::FindValue(std::uint32_t key, std::u16string_view folded) const {
  const Key& k = keys[key];
  auto first = values.begin() + k.firstValue;
  auto last = first + k.valueCount;
  auto it = std::lower_bound(first, last, folded, [](const Value& a, std::u16string_view b) { return a.folded < b; });
  if (it == last || it->folded != folded) return nullptr;
  return &*it;
}

RegTreeBuilder::RegTreeBuilder(KeyFold fold, AnsiCodePage codePage) : fold_(fold), codePage_(codePage) {
  roots_[0] = std::make_unique<Node>();
  roots_[1] = std::make_unique<Node>();
}

RegTreeBuilder::~RegTreeBuilder() = default;

RegTreeBuilder::Node* RegTreeBuilder::CreateKey(Layer layer, const std::vector<std::u16string>& path) {
  // Exports list keys depth first, so consecutive key lines share their leading components:
  // resume below the deepest key that the previous call already walked.
  if (layer != cachedLayer_) {
    cachedPath_.clear();
    cachedNodes_.clear();
    cachedLayer_ = layer;
  }
  std::size_t depth = 0;
  Node* node = roots_[static_cast<int>(layer)].get();
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
    const auto& part = path[i];
    if (part.empty()) continue;
    auto& slot = node->children[FoldName(part, fold_)];
    if (!slot) {
      slot = std::make_unique<Node>();
      slot->name = part;
    }
    node = slot.get();
    cachedPath_.push_back(part);
    cachedNodes_.push_back(node);
  }
  return node;
}

RegTreeBuilder::Node* RegTreeBuilder::FindKey(Layer layer, const std::vector<std::u16string>& path) {
  Node* node = roots_[static_cast<int>(layer)].get();
  for (const auto& part : path) {
    if (part.empty()) continue;
    auto it = node->children.find(FoldName(part, fold_));
    if (it == node->children.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

void RegTreeBuilder::DeleteKey(Layer layer, const std::vector<std::u16string>& path) {
  Node* parent = roots_[static_cast<int>(layer)].get();
  Node* node = parent;
  std::u16string last;
  for (const auto& part : path) {
    if (part.empty()) continue;
    last = FoldName(part, fold_);
    auto it = node->children.find(last);
    if (it == node->children.end()) return;
    parent = node;
    node = it->second.get();
  }
  if (node == parent) return;  // the class root itself is never removed
  cachedPath_.clear();
  cachedNodes_.clear();
  parent->children.erase(last);
}

void RegTreeBuilder::SetValue(Node* key, const std::u16string& name, std::uint32_t type, std::string bytes) {
  auto& value = key->values[FoldName(name, fold_)];
  value.type = type;
  value.bytes = std::move(bytes);
}

void RegTreeBuilder::DeleteValue(Node* key, const std::u16string& name) { key->values.erase(FoldName(name, fold_)); }

void RegTreeBuilder::MarkLink(Node* key) { key->link = true; }

std::shared_ptr<const RegTree> RegTreeBuilder::Freeze() const {
  auto tree = std::make_shared<RegTree>();
  tree->fold = fold_;
  tree->codePage = codePage_;
  struct Pending {
    std::uint32_t index;
    const Node* machine;
    const Node* user;
  };
  std::vector<std::pair<std::uint32_t, std::u16string>> links;
  std::deque<Pending> queue;
  tree->keys.emplace_back();
  queue.push_back({0, roots_[0].get(), roots_[1].get()});

  while (!queue.empty()) {
    const Pending item = queue.front();
    queue.pop_front();
    const auto firstValue = static_cast<std::uint32_t>(tree->values.size());
    tree->keys[item.index].firstValue = firstValue;
    MergeSorted(item.machine ? &item.machine->values : nullptr, item.user ? &item.user->values : nullptr,
                [&](const std::u16string& folded, const Node::Value* m, const Node::Value* u) {
                  const Node::Value& v = u ? *u : *m;  // the user's classes win
                  RegTree::Value out;
                  out.folded = folded;
                  out.type = v.type;
                  if (IsStringType(v.type)) {
                    const std::string ansi = Utf16ToAnsi(BytesToUtf16(v.bytes), codePage_);
                    out.narrowSize = static_cast<std::uint32_t>(ansi.size());
                    out.data = AnsiToUtf8(ansi, codePage_);
                  } else {
                    out.narrowSize = static_cast<std::uint32_t>(v.bytes.size());
                    out.data = v.bytes;
                  }
                  tree->values.push_back(std::move(out));
                });
    tree->keys[item.index].valueCount = static_cast<std::uint32_t>(tree->values.size()) - firstValue;

    const bool isLink = (item.user && item.user->link) || (!item.user && item.machine && item.machine->link);
    if (isLink) {
      const Node* source = item.user ? item.user : item.machine;
      auto it = source->values.find(FoldName(u"SymbolicLinkValue", fold_));
      if (it != source->values.end()) links.emplace_back(item.index, BytesToUtf16(it->second.bytes));
    }

    const auto firstChild = static_cast<std::uint32_t>(tree->keys.size());
    MergeSorted(item.machine ? &item.machine->children : nullptr, item.user ? &item.user->children : nullptr,
                [&](const std::u16string& folded, const std::unique_ptr<Node>* m, const std::unique_ptr<Node>* u) {
                  RegTree::Key child;
                  child.folded = folded;
                  const std::string ansi = Utf16ToAnsi(u ? (*u)->name : (*m)->name, codePage_);
                  child.narrowLength = static_cast<std::uint32_t>(ansi.size());
                  child.narrowName = AnsiToUtf8(ansi, codePage_);
                  const auto index = static_cast<std::uint32_t>(tree->keys.size());
                  tree->keys.push_back(std::move(child));
                  queue.push_back({index, m ? m->get() : nullptr, u ? u->get() : nullptr});
                });
    tree->keys[item.index].firstChild = firstChild;
    tree->keys[item.index].childCount = static_cast<std::uint32_t>(tree->keys.size()) - firstChild;
  }

  // Links are kernel paths; only targets inside a class root can be followed here.
  for (const auto& [index, target] : links) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : target + u"\\") {
      if (c == u'\\') {
        if (!part.empty()) parts.push_back(FoldName(part, fold_));
        part.clear();
      } else {
        part.push_back(c);
      }
    }
    auto is = [&](std::size_t i, std::u16string_view name) {
      return i < parts.size() && parts[i] == FoldName(name, fold_);
    };
    std::size_t start = 0;
    if (is(0, u"Registry") && is(1, u"Machine") && is(2, u"Software") && is(3, u"Classes")) {
      start = 4;
    } else if (is(0, u"Registry") && is(1, u"User") && is(3, u"Software") && is(4, u"Classes")) {
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
