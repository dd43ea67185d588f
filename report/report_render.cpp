// Rendering of a report job: a style's templates filled with the bound grid (RTF, HTML), or the
// fixed comma-separated layout (CSV).
//
// The templates are filled by placeholder replacement with well-defined, observable
// consequences (a placeholder written twice receives every row twice, leftover row and cell
// placeholders are removed wherever they stand, a lower-case "{||bodyrow||}" in the skeleton
// is a row slot, ...). Doing that literally, one replacement over the whole document per row,
// costs time quadratic in the row count. Here the body is built once, row after row, into
// the final text, and the leftover placeholders are removed by streaming passes over it; the
// result is the same text, byte for byte.
//
// That shortcut holds whenever inserting a row or a cell cannot create a new slot for later
// rows or cells (a template that holds the placeholder of its own part, or fragments that join
// into one). Such templates are detected before anything is emitted and rendered by the
// literal algorithm instead.
//
// Cell texts, header texts, the title and the sub-title are data: placeholder text in them is
// neither filled nor removed. In the literal algorithm data is kept out of matching by
// standing in the text as a token (marker byte, number, marker byte) that no placeholder can
// match; the tokens are expanded at the end.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "base/word_scan.h"
#include "report/csv_progress.h"
#include "report/library.h"
#include "report/report.h"
#include "report/report_render.h"
#include "reportview/grid.h"

namespace orlix {
namespace {

constexpr std::string_view kCrLf = "\r\n";

constexpr std::string_view kContentTitle = "{||ContentTitle||}";
constexpr std::string_view kContentDescription = "{||ContentDescription||}";
constexpr std::string_view kHeaderRow = "{||HeaderRow||}";
constexpr std::string_view kBodyRow = "{||BodyRow||}";
constexpr std::string_view kHeaderCellFormatting = "{||HeaderCellFormatting||}";
constexpr std::string_view kHeaderCellData = "{||HeaderCellData||}";
constexpr std::string_view kBodyCellFormatting = "{||BodyCellFormatting||}";
constexpr std::string_view kBodyCellData = "{||BodyCellData||}";
constexpr std::string_view kCellWidthRtf = "{||CellWidthRTF||}";
constexpr std::string_view kCellAccumWidthRtf = "{||CellAccumWidthRTF||}";
constexpr std::string_view kCellWidthHtml = "{||CellWidthHTML||}";
constexpr std::string_view kHeader = "{||Header||}";
constexpr std::string_view kBody = "{||Body||}";

constexpr std::string_view kReportTitleTag = "{||ReportTitle||}";
constexpr std::string_view kReportSubTitleTag = "{||ReportSubTitle||}";
constexpr std::string_view kNestedTags[] = {"{||CurrentItemTitle||}", "{||Date||}", "{||Time||}",
                                            "{||QuestionType||}", "{||QuestionAnswered||}"};

// Enough context on each side of a join to hold any placeholder crossing it.
constexpr std::size_t kJoinContext = 40;
// Stands for data in texts that are only inspected for placeholders, never emitted.
constexpr char kBarrier = '\x01';
// Rows rendered before the output is sized for the rest.
constexpr int kRowsForEstimate = 256;
// Rendered in pieces, the text is passed on once it holds this much, at the end of a row.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
// Largest text the literal fill builds. A style whose rows or cells hold their own slots
// multiplies those slots with every cell and row it fills, so its document grows exponentially;
// such a job fails with std::length_error instead of exhausting memory. Honest styles never
// come near it: the literal fill replaces over the whole document once per row, which makes a
// document of this size impractically slow long before.
constexpr std::size_t kMaxLiteralText = std::size_t{1} << 25;

// Every placeholder opens with its only brace: jump from brace to brace.
std::size_t FindPlaceholder(std::string_view text, std::string_view placeholder, std::size_t from = 0) {
  for (std::size_t pos = text.find('{', from); pos != std::string_view::npos; pos = text.find('{', pos + 1)) {
    if (text.size() - pos < placeholder.size()) return std::string_view::npos;
    if (EqualsNoCase(text.substr(pos, placeholder.size()), placeholder)) return pos;
  }
  return std::string_view::npos;
}

std::size_t CountNoCase(std::string_view text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t pos = FindNoCase(text, what); pos != std::string_view::npos;
       pos = FindNoCase(text, what, pos + what.size()))
    ++count;
  return count;
}

// True when `what` occurs in left + right starting in `left` and ending in `right`.
bool OccursAcross(std::string_view left, std::string_view right, std::string_view what) {
  if (left.size() > kJoinContext) left = left.substr(left.size() - kJoinContext);
  if (right.size() > kJoinContext) right = right.substr(0, kJoinContext);
  const std::string joined = std::string(left) + std::string(right);
  for (std::size_t pos = FindNoCase(joined, what); pos != std::string::npos;
       pos = FindNoCase(joined, what, pos + 1)) {
    if (pos < left.size() && pos + what.size() > left.size()) return true;
  }
  return false;
}

void ThrowTooLarge() {
  throw std::length_error("the report style repeats its own placeholders: the report would exceed " +
                          std::to_string(kMaxLiteralText >> 20) + " MB");
}

// ReplaceNoCase for the literal fill, refusing a result beyond kMaxLiteralText.
std::string ReplaceNoCaseBounded(std::string_view text, std::string_view what, std::string_view with) {
  if (with.size() > what.size()) {
    const std::size_t count = CountNoCase(text, what);
    if (count > 0 && (text.size() > kMaxLiteralText ||
                      (with.size() - what.size()) > (kMaxLiteralText - text.size()) / count))
      ThrowTooLarge();
  }
  return ReplaceNoCase(text, what, with);
}

// Template text in which data stands as tokens.
class MarkedText {
 public:
  // The marker is a byte the templates do not use, so that no template text reads as a token.
  explicit MarkedText(const std::vector<const std::string*>& templates) {
    bool used[256] = {};
    for (const std::string* t : templates)
      for (unsigned char ch : *t) used[ch] = true;
    for (int candidate = 0x02; candidate < 0x100; ++candidate) {
      const bool usable = (candidate < 0x20 && candidate != '\t' && candidate != '\n' && candidate != '\r') ||
                          candidate == 0x7F || candidate >= 0x80;
      if (usable && !used[candidate]) {
        marker_ = static_cast<char>(candidate);
        protected_ = true;
        break;
      }
    }
  }

  // The text to put into the document for a piece of data. Empty data is no token: like no
  // text at all, it lets the texts on both sides meet.
  std::string Atom(std::string data) {
    if (data.empty()) return data;
    // Templates that use every byte leave no marker: the data then goes in as it stands.
    if (!protected_) return data;
    std::string token(1, marker_);
    token += std::to_string(atoms_.size());
    token += marker_;
    atoms_.push_back(std::move(data));
    return token;
  }

  const std::string& AtomAt(std::size_t index) const { return atoms_.at(index); }
  char Marker() const { return marker_; }
  bool Protected() const { return protected_; }

  // Calls text(view) and data(view) for the pieces of a marked text, in order.
  template <typename OnText, typename OnData>
  void Walk(std::string_view marked, OnText text, OnData data) const {
    if (!protected_) {
      if (!marked.empty()) text(marked);
      return;
    }
    std::size_t pos = 0;
    while (pos < marked.size()) {
      const std::size_t open = marked.find(marker_, pos);
      if (open == std::string_view::npos) {
        text(marked.substr(pos));
        return;
      }
      if (open > pos) text(marked.substr(pos, open - pos));
      const std::size_t close = marked.find(marker_, open + 1);
      const std::size_t index = std::stoul(std::string(marked.substr(open + 1, close - open - 1)));
      data(std::string_view(atoms_.at(index)));
      pos = close + 1;
    }
  }

  // Size of the text with its tokens expanded.
  std::size_t ExpandedSize(std::string_view marked) const {
    std::size_t size = 0;
    Walk(
        marked, [&](std::string_view t) { size += t.size(); }, [&](std::string_view d) { size += d.size(); });
    return size;
  }

  std::string Expand(std::string_view marked) const {
    std::string out;
    out.reserve(marked.size());
    Walk(
        marked, [&](std::string_view t) { out.append(t); }, [&](std::string_view d) { out.append(d); });
    return out;
  }

  // The marked text with every token shown as one barrier byte, for inspection.
  std::string WithBarriers(std::string_view marked) const {
    std::string out;
    Walk(
        marked, [&](std::string_view t) { out.append(t); }, [&](std::string_view) { out += kBarrier; });
    return out;
  }

 private:
  char marker_ = '\0';
  bool protected_ = false;
  std::vector<std::string> atoms_;
};

// Receives the document as it is emitted: template text, in which placeholders still count,
// and data, which ends any placeholder begun before it.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Text(std::string_view text) = 0;
  virtual void Data(std::string_view data) = 0;
  virtual void Flush() {}
};

class StringSink : public Sink {
 public:
  explicit StringSink(std::string* out) : out_(out) {}
  void Text(std::string_view text) override { out_->append(text); }
  void Data(std::string_view data) override { out_->append(data); }

 private:
  std::string* out_;
};

// A pass that holds template text back: what it holds goes on before data and at the end.
class HoldingSink : public Sink {
 public:
  void Data(std::string_view data) override {
    Release();
    next_->Data(data);
  }
  void Flush() override {
    Release();
    next_->Flush();
  }
  // Passes the held text on, without flushing what comes after.
  void Release() {
    if (held_.empty()) return;
    next_->Text(held_);
    held_.clear();
  }

 protected:
  explicit HoldingSink(Sink* next) : next_(next) {}

  Sink* next_;
  std::string held_;
};

// Gathers consecutive template texts into one piece, so that the passes behind it see few,
// longer pieces.
class TextBatcher : public HoldingSink {
 public:
  explicit TextBatcher(Sink* next) : HoldingSink(next) {}
  void Text(std::string_view text) override { held_.append(text); }
};

// One removal pass as a stream: drops every occurrence of a placeholder (any letter case) from
// the template text. A placeholder never overlaps itself, so leftmost matching in the stream
// finds what one pass over the whole text would. Only a possible start of a match is held back.
class PlaceholderRemover : public HoldingSink {
 public:
  PlaceholderRemover(std::string_view placeholder, Sink* next) : HoldingSink(next), placeholder_(placeholder) {}

  void Text(std::string_view text) override {
    if (held_.empty() && text.find('{') == std::string_view::npos) {
      next_->Text(text);
      return;
    }
    std::string joined;
    std::string_view buffer = text;
    if (!held_.empty()) {
      joined = held_ + std::string(text);
      buffer = joined;
    }
    std::size_t pos = 0;
    for (std::size_t hit = FindPlaceholder(buffer, placeholder_); hit != std::string_view::npos;
         hit = FindPlaceholder(buffer, placeholder_, pos)) {
      if (hit > pos) next_->Text(buffer.substr(pos, hit - pos));
      ++removed_;
      pos = hit + placeholder_.size();
    }
    // The placeholder holds one opening brace, at its start: a partial match begins at the last
    // brace within reach of the end.
    std::size_t keep = buffer.size();
    const std::size_t reach = buffer.size() > placeholder_.size() ? buffer.size() - placeholder_.size() + 1 : 0;
    const std::size_t brace = buffer.rfind('{');
    if (brace != std::string_view::npos && brace >= std::max(pos, reach)) {
      const std::string_view tail = buffer.substr(brace);
      if (EqualsNoCase(tail, placeholder_.substr(0, tail.size()))) keep = brace;
    }
    if (keep > pos) next_->Text(buffer.substr(pos, keep - pos));
    held_ = std::string(buffer.substr(keep));
  }

  std::size_t Removed() const { return removed_; }
  // Whether the end of the text so far is held back as the possible start of a placeholder.
  bool Holding() const { return !held_.empty(); }

 private:
  std::string_view placeholder_;
  std::size_t removed_ = 0;
};

// The row and cell templates of one part (header or body), with the names of their slots.
struct RowTemplates {
  const std::string* row;
  const std::string* formatting;
  const std::string* data;
  std::string_view formattingSlot;
  std::string_view dataSlot;
  std::string_view textPlaceholder;  // "{||Header||}" or "{||Body||}"
};

// The cell templates filled for one display position: the formatting text, and the data
// template cut where the cell text goes (the text goes between consecutive pieces).
struct CellFragments {
  std::string formatting;
  std::vector<std::string> dataPieces;
};

std::string Decimal(std::int64_t value) { return std::to_string(value); }

std::vector<CellFragments> BuildFragments(const RowTemplates& t, const std::vector<std::int32_t>& order,
                                          std::size_t positions, const std::vector<std::int32_t>& htmlWidths,
                                          const std::vector<std::int32_t>& rtfWidths) {
  std::vector<CellFragments> fragments;
  fragments.reserve(positions);
  std::int64_t acc = 0;
  for (std::size_t p = 0; p < positions; ++p) {
    const auto c = static_cast<std::size_t>(order.at(p));
    CellFragments f;
    f.formatting = ReplaceNoCase(*t.formatting, kCellWidthRtf, Decimal(rtfWidths.at(c)));
    acc += rtfWidths.at(c);
    f.formatting = ReplaceNoCase(f.formatting, kCellAccumWidthRtf, Decimal(acc));
    const std::string width = Decimal(htmlWidths.at(c)) + "%";
    std::size_t pos = 0;
    for (std::size_t hit = FindNoCase(*t.data, t.textPlaceholder); hit != std::string::npos;
         hit = FindNoCase(*t.data, t.textPlaceholder, pos)) {
      f.dataPieces.push_back(ReplaceNoCase(std::string_view(*t.data).substr(pos, hit - pos), kCellWidthHtml, width));
      pos = hit + t.textPlaceholder.size();
    }
    f.dataPieces.push_back(ReplaceNoCase(std::string_view(*t.data).substr(pos), kCellWidthHtml, width));
    fragments.push_back(std::move(f));
  }
  return fragments;
}

// A row template cut at its slots. Every cell is inserted in front of every slot of its kind,
// and the slot's own text stays behind the cells (it is removed with the leftovers).
struct RowShape {
  enum class Kind { Text, FormattingSlot, DataSlot };
  struct Segment {
    Kind kind;
    std::string text;
  };
  std::vector<Segment> segments;
  std::size_t formattingSlots = 0;
  std::size_t dataSlots = 0;
};

RowShape CutRow(const RowTemplates& t) {
  RowShape shape;
  const std::string& row = *t.row;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t f = FindNoCase(row, t.formattingSlot, pos);
    const std::size_t d = FindNoCase(row, t.dataSlot, pos);
    const std::size_t hit = std::min(f, d);
    if (hit == std::string::npos) break;
    if (hit > pos) shape.segments.push_back({RowShape::Kind::Text, row.substr(pos, hit - pos)});
    const bool isFormatting = hit == f;
    const std::size_t length = isFormatting ? t.formattingSlot.size() : t.dataSlot.size();
    shape.segments.push_back(
        {isFormatting ? RowShape::Kind::FormattingSlot : RowShape::Kind::DataSlot, row.substr(hit, length)});
    (isFormatting ? shape.formattingSlots : shape.dataSlots)++;
    pos = hit + length;
  }
  if (pos < row.size()) shape.segments.push_back({RowShape::Kind::Text, row.substr(pos)});
  return shape;
}

// Emits a row with `cells` cells; cellText(k) gives the text of the cell at position k.
template <typename OnText, typename OnData, typename CellText>
void EmitRow(const RowShape& shape, const std::vector<CellFragments>& fragments, std::size_t cells,
             const CellText& cellText, OnText text, OnData data, bool slotTexts = true) {
  for (const RowShape::Segment& segment : shape.segments) {
    if (segment.kind == RowShape::Kind::FormattingSlot) {
      for (std::size_t k = 0; k < cells; ++k) {
        text(std::string_view(fragments[k].formatting));
        text(kCrLf);
      }
    } else if (segment.kind == RowShape::Kind::DataSlot) {
      for (std::size_t k = 0; k < cells; ++k) {
        const std::vector<std::string>& pieces = fragments[k].dataPieces;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
          if (i > 0) data(cellText(k));
          text(std::string_view(pieces[i]));
        }
      }
    }
    if (slotTexts || segment.kind == RowShape::Kind::Text) text(std::string_view(segment.text));
  }
}

// The row with `cells` cells as one text, data shown as barriers: what the checks look at.
std::string RowForInspection(const RowShape& shape, const std::vector<CellFragments>& fragments, std::size_t cells) {
  std::string out;
  EmitRow(
      shape, fragments, cells, [](std::size_t) { return std::string_view(); },
      [&](std::string_view t) { out.append(t); }, [&](std::string_view) { out += kBarrier; });
  return out;
}

// True when filling the row cell by cell finds exactly the row template's own slots at every
// step, so that the row can be emitted in one go. Inserted text only ever adds to the row, so
// the full row shows every placeholder that any intermediate state of it holds (a fragment
// ending in front of a slot cannot reach into it: a placeholder's brace opens it).
bool RowIsStable(const RowShape& shape, const std::string& full, const RowTemplates& t) {
  return CountNoCase(full, t.formattingSlot) == shape.formattingSlots &&
         CountNoCase(full, t.dataSlot) == shape.dataSlots;
}

// The row filled cell by cell, each by a replacement over the whole row so far.
template <typename CellText>
std::string BuildRowLiterally(const RowTemplates& t, const std::vector<CellFragments>& fragments, std::size_t cells,
                              const CellText& cellAtom) {
  std::string row = *t.row;
  for (std::size_t k = 0; k < cells; ++k) {
    const CellFragments& f = fragments[k];
    row = ReplaceNoCaseBounded(row, t.formattingSlot, f.formatting + std::string(kCrLf) + std::string(t.formattingSlot));
    std::string d;
    for (std::size_t i = 0; i < f.dataPieces.size(); ++i) {
      if (i > 0) d += cellAtom(k);
      d += f.dataPieces[i];
    }
    row = ReplaceNoCaseBounded(row, t.dataSlot, d + std::string(t.dataSlot));
  }
  return row;
}

// One pass each; equal to the replacements in their order (backslashes first, then braces;
// the ampersand first, then the characters whose references start with one).
void EscapeRtfInto(std::string_view text, std::string* out) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch != '\\' && ch != '{' && ch != '}') continue;
    out->append(text.substr(pos, i - pos));
    *out += '\\';
    pos = i;  // the character itself opens the next run
  }
  out->append(text.substr(pos));
}

void EscapeHtmlInto(std::string_view text, std::string* out) {
  std::size_t pos = 0;  // start of the text not yet appended
  const auto escape = [&](std::size_t i) {
    const char ch = text[i];
    if (ch > '>' || ch < '"') return;  // '"' is the lowest of the four, '>' the highest
    const char* reference = ch == '&' ? "&amp;" : ch == '<' ? "&lt;" : ch == '>' ? "&gt;" : ch == '"' ? "&quot;" : nullptr;
    if (reference == nullptr) return;
    out->append(text.substr(pos, i - pos));
    out->append(reference);
    pos = i + 1;
  };
  // '"' (0x22) and '&' (0x26) differ in one bit, '<' (0x3C) and '>' (0x3E) in another: setting
  // that bit in every byte makes two tests of the four.
  const auto special = [](std::uint64_t word) {
    return wordscan::Equal(word | (wordscan::kOnes * 0x04), '&') | wordscan::Equal(word | (wordscan::kOnes * 0x02), '>');
  };
  // Most text needs nothing: eight characters at a time pass unless one of the four is there.
  std::size_t i = 0;
  for (; text.size() - i >= 8; i += 8) {
    if (special(wordscan::Load(text.data() + i)))
      for (std::size_t k = i; k < i + 8; ++k) escape(k);
  }
  if (i < text.size()) {
    // The last characters, padded with zero bytes, which need nothing.
    if (special(wordscan::LoadPartial(text.data() + i, text.size() - i)))
      for (; i < text.size(); ++i) escape(i);
  }
  out->append(text.substr(pos));
}

std::int64_t RoundHalfEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

}  // namespace

void cReport::ListView(Grid* objListView) {
  mobjListView = objListView;
  if (mobjListView == nullptr) return;
  const int count = mobjListView->ColumnCount();
  if (count < 1) return;
  const std::vector<int> order = mobjListView->ColumnOrder();
  mlngColumnOrder.assign(static_cast<std::size_t>(count), 0);
  for (int p = 0; p < count; ++p) mlngColumnOrder[static_cast<std::size_t>(p)] = order.at(static_cast<std::size_t>(p));
}

void cReport::ExtraParameters(std::shared_ptr<ReportParameters> objParameters) {
  mcolExtraParameters = std::move(objParameters);
}

namespace {

RenderRequest RequestFor(const cReport& job, Grid* grid) {
  RenderRequest request;
  request.type = job.ReportType;
  request.style = &job.Style();
  request.grid = grid;
  request.columnOrder = job.ColumnOrder();
  request.parameters = job.BoundParameters().get();
  request.progress = job.CurrentStatus;
  return request;
}

bool KnownType(std::int32_t type) { return type == kReportRtf || type == kReportHtml || type == kReportCsv; }

}  // namespace

bool cReport::Generate() {
  if (!KnownType(ReportType)) return false;
  ReportContents = RenderReport(RequestFor(*this, mobjListView));
  Generated = true;
  return true;
}

bool cReport::GenerateInPieces(const std::function<void(std::string_view)>& write) {
  if (!KnownType(ReportType)) return false;
  RenderReport(RequestFor(*this, mobjListView), write);
  return true;
}

std::string ReportParameterValue(const ReportParameters* parameters, const std::string& tag) {
  if (parameters == nullptr || !KeyExists(tag, *parameters)) return std::string();
  std::string value = parameters->Item(tag)->Value;
  for (std::string_view nested : kNestedTags) {
    const std::string key(nested);
    if (KeyExists(key, *parameters)) value = ReplaceExact(value, nested, parameters->Item(key)->Value);
  }
  return value;
}

std::string cReport::GetParameter(const std::string& tag) const {
  return ReportParameterValue(mcolExtraParameters.get(), tag);
}

void ComputeCellWidths(const Grid* grid, std::vector<std::int32_t>* htmlWidths, std::vector<std::int32_t>* rtfWidths) {
  const int n = grid != nullptr ? grid->ColumnCount() : 0;
  if (n <= 0) {
    *htmlWidths = {100};
    *rtfWidths = {12000};
    return;
  }
  std::vector<double> widths(static_cast<std::size_t>(n));
  std::int64_t total = 0;
  for (int c = 0; c < n; ++c) {
    widths[static_cast<std::size_t>(c)] = grid->ColumnWidth(c);
    total = RoundHalfEven(static_cast<double>(total) + widths[static_cast<std::size_t>(c)]);
  }
  htmlWidths->assign(static_cast<std::size_t>(n), 0);
  rtfWidths->assign(static_cast<std::size_t>(n), 0);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    // Nothing to divide by (every column 0 wide, or widths that round away): equal shares.
    if (total <= 0) {
      (*htmlWidths)[c] = static_cast<std::int32_t>(100 / n);
      (*rtfWidths)[c] = static_cast<std::int32_t>(12000 / n);
      continue;
    }
    (*htmlWidths)[c] = static_cast<std::int32_t>(RoundHalfEven(widths[c] * 100) / total);
    (*rtfWidths)[c] = static_cast<std::int32_t>(RoundHalfEven(widths[c] * 12000) / total);
  }
}

void cReport::ComputeCellWidths(std::vector<std::int32_t>* htmlWidths, std::vector<std::int32_t>* rtfWidths) const {
  orlix::ComputeCellWidths(mobjListView, htmlWidths, rtfWidths);
}

std::string cReport::EscapeRtf(const std::string& text) {
  std::string out;
  EscapeRtfInto(text, &out);
  return out;
}

std::string cReport::EscapeHtml(const std::string& text) {
  std::string out;
  EscapeHtmlInto(text, &out);
  return out;
}

namespace {

// Where a document rendered in pieces goes; null when it is rendered into one text.
using PieceWriter = std::function<void(std::string_view)>;

// Passes the text on when it has grown to a piece.
void PassPiece(std::string* out, const PieceWriter* write) {
  if (write == nullptr || out->size() < kPieceBytes) return;
  (*write)(*out);
  out->clear();
}

std::string RenderStyledReport(const RenderRequest& request, const PieceWriter* write) {
  const ReportStyle& style = *request.style;
  const std::vector<std::int32_t>& columnOrder = request.columnOrder;
  const std::string& mstrTable = style.table;
  const std::string& mstrHeaderRow = style.headerRow;
  const std::string& mstrHeaderCellFormatting = style.headerCellFormatting;
  const std::string& mstrHeaderCellData = style.headerCellData;
  const std::string& mstrBodyRow = style.bodyRow;
  const std::string& mstrBodyCellFormatting = style.bodyCellFormatting;
  const std::string& mstrBodyCellData = style.bodyCellData;
  MarkedText marked({&mstrTable, &mstrHeaderRow, &mstrHeaderCellFormatting, &mstrHeaderCellData, &mstrBodyRow,
                     &mstrBodyCellFormatting, &mstrBodyCellData});

  std::string doc = ReplaceExact(mstrTable, kContentTitle, marked.Atom(ReportParameterValue(request.parameters, std::string(kReportTitleTag))));
  doc = ReplaceExact(doc, kContentDescription, marked.Atom(ReportParameterValue(request.parameters, std::string(kReportSubTitleTag))));

  if (request.grid == nullptr) return marked.Expand(doc);
  const Grid& grid = *request.grid;
  const std::int32_t type = request.type;

  std::vector<std::int32_t> htmlWidths, rtfWidths;
  ComputeCellWidths(request.grid, &htmlWidths, &rtfWidths);

  // Header row.
  const RowTemplates header{&mstrHeaderRow, &mstrHeaderCellFormatting, &mstrHeaderCellData,
                            kHeaderCellFormatting, kHeaderCellData, kHeader};
  const auto columns = static_cast<std::size_t>(std::max(grid.ColumnCount(), 0));
  const std::vector<CellFragments> headerFragments =
      BuildFragments(header, columnOrder, columns, htmlWidths, rtfWidths);
  std::vector<std::string> headerAtoms;
  for (std::size_t p = 0; p < columns; ++p)
    headerAtoms.push_back(marked.Atom(" " + grid.ColumnHeader(columnOrder.at(p))));
  const auto headerAtom = [&](std::size_t k) { return std::string_view(headerAtoms[k]); };

  const RowShape headerShape = CutRow(header);
  std::string headerRow;
  if (marked.Protected() && RowIsStable(headerShape, RowForInspection(headerShape, headerFragments, columns), header)) {
    EmitRow(
        headerShape, headerFragments, columns, headerAtom, [&](std::string_view t) { headerRow.append(t); },
        [&](std::string_view d) { headerRow.append(d); });
  } else {
    headerRow = BuildRowLiterally(header, headerFragments, columns, headerAtom);
  }
  doc = ReplaceNoCaseBounded(doc, kHeaderRow, headerRow);
  doc = ReplaceNoCase(doc, kHeaderCellData, "");
  doc = ReplaceNoCase(doc, kHeaderCellFormatting, "");

  // Body rows. Cells are fetched for positions up to the row's own sub-item count; a column
  // order too short for that fails like any other grid error, before the document is stored.
  const RowTemplates body{&mstrBodyRow, &mstrBodyCellFormatting, &mstrBodyCellData,
                          kBodyCellFormatting, kBodyCellData, kBody};
  std::size_t positions = 0;
  while (positions < columnOrder.size() && columnOrder[positions] >= 0 &&
         static_cast<std::size_t>(columnOrder[positions]) < htmlWidths.size())
    ++positions;
  const std::vector<CellFragments> bodyFragments =
      BuildFragments(body, columnOrder, positions, htmlWidths, rtfWidths);
  const RowShape bodyShape = CutRow(body);

  const auto cellCount = [&](int r) {
    const int subItems = grid.SubItemCount(r);
    const std::size_t cells = subItems < 0 ? 0 : static_cast<std::size_t>(subItems) + 1;
    // The literal fill fails at the first position the column order cannot serve.
    if (cells > positions) throw std::out_of_range("the column order has no entry for cell " + std::to_string(positions));
    return cells;
  };
  std::vector<std::string> cellTexts;
  std::string scratch;
  const auto fetchCells = [&](int r, std::size_t cells) {
    if (cellTexts.size() < cells) cellTexts.resize(cells);
    for (std::size_t k = 0; k < cells; ++k) {
      std::string& cell = cellTexts[k];
      cell.assign(1, ' ');
      const std::string_view text = grid.ItemTextView(r, columnOrder[k], scratch);
      if (type == kReportRtf)
        EscapeRtfInto(text, &cell);
      else
        EscapeHtmlInto(text, &cell);
    }
  };
  // The same cells as the grid holds them, each with a scratch string of its own.
  std::vector<std::string_view> cellViews;
  std::vector<std::string> cellScratch;
  const auto viewCells = [&](int r, std::size_t cells) {
    if (cellViews.size() < cells) {
      cellViews.resize(cells);
      cellScratch.resize(cells);
    }
    for (std::size_t k = 0; k < cells; ++k) cellViews[k] = grid.ItemTextView(r, columnOrder[k], cellScratch[k]);
  };

  // Slots for rows: every body-row placeholder left in the document.
  std::vector<std::size_t> slots;
  for (std::size_t pos = FindNoCase(doc, kBodyRow); pos != std::string::npos;
       pos = FindNoCase(doc, kBodyRow, pos + kBodyRow.size()))
    slots.push_back(pos);

  bool stable = marked.Protected();
  bool rowHasBrace = true;
  if (stable) {
    const std::string full = RowForInspection(bodyShape, bodyFragments, positions);
    // The row as the removals leave it when its only braces open its own slots' texts.
    std::string bare;
    EmitRow(
        bodyShape, bodyFragments, positions, [](std::size_t) { return std::string_view(); },
        [&](std::string_view t) { bare.append(t); }, [&](std::string_view) { bare += kBarrier; }, false);
    rowHasBrace = bare.find('{') != std::string::npos;
    stable = RowIsStable(bodyShape, full, body) && CountNoCase(full, kBodyRow) == 0 &&
             !OccursAcross(full, full, kBodyRow);
    const std::string inspected = marked.WithBarriers(doc);
    std::size_t pos = FindNoCase(inspected, kBodyRow);
    while (stable && pos != std::string::npos) {
      if (OccursAcross(std::string_view(inspected).substr(0, pos), full, kBodyRow)) stable = false;
      pos = FindNoCase(inspected, kBodyRow, pos + kBodyRow.size());
    }
  }

  std::string out;
  if (stable) {
    StringSink sinkOut(&out);
    PlaceholderRemover removeCellFormatting(kBodyCellFormatting, &sinkOut);
    PlaceholderRemover removeCellData(kBodyCellData, &removeCellFormatting);
    PlaceholderRemover removeRow(kBodyRow, &removeCellData);
    TextBatcher batch(&removeRow);

    // Rows for further slots are kept as marked text and replayed.
    std::string rowsBlock;
    const bool keepBlock = slots.size() > 1;

    const auto emitMarked = [&](std::string_view text) {
      marked.Walk(
          text, [&](std::string_view t) { batch.Text(t); }, [&](std::string_view d) { batch.Data(d); });
    };
    emitMarked(std::string_view(doc).substr(0, slots.empty() ? doc.size() : slots[0]));
    const std::size_t headSize = slots.empty() ? 0 : marked.Expand(std::string_view(doc).substr(0, slots[0])).size();
    // Every placeholder opens with a brace. When a row's only braces open its own slot texts,
    // the removals take exactly those out and pass the rest unchanged: when nothing of the text
    // before the rows is held back, the rows go straight to the output, without their slots.
    batch.Release();
    const bool direct =
        !rowHasBrace && !removeRow.Holding() && !removeCellData.Holding() && !removeCellFormatting.Holding();
    // Straight to the output, the cells are escaped right into it.
    const bool escapeInPlace = direct && !keepBlock && !slots.empty();
    for (int r = 0; r < grid.ItemCount(); ++r) {
      if (request.progress) request.progress(r + 1, grid.ItemCount());
      const std::size_t cells = cellCount(r);
      if (escapeInPlace) {
        viewCells(r, cells);
        EmitRow(
            bodyShape, bodyFragments, cells, [&](std::size_t k) { return cellViews[k]; },
            [&](std::string_view t) { out.append(t); },
            [&](std::string_view d) {
              out += ' ';
              if (type == kReportRtf)
                EscapeRtfInto(d, &out);
              else
                EscapeHtmlInto(d, &out);
            },
            false);
      } else {
        fetchCells(r, cells);
        if (slots.empty()) continue;
        const auto cellText = [&](std::size_t k) { return std::string_view(cellTexts[k]); };
        if (direct) {
          EmitRow(
              bodyShape, bodyFragments, cells, cellText, [&](std::string_view t) { out.append(t); },
              [&](std::string_view d) { out.append(d); }, false);
        } else {
          EmitRow(
              bodyShape, bodyFragments, cells, cellText, [&](std::string_view t) { batch.Text(t); },
              [&](std::string_view d) { batch.Data(d); });
        }
        if (keepBlock) {
          EmitRow(
              bodyShape, bodyFragments, cells, cellText, [&](std::string_view t) { rowsBlock.append(t); },
              [&](std::string_view d) { rowsBlock += marked.Atom(std::string(d)); });
        }
      }
      PassPiece(&out, write);
      if (r + 1 == kRowsForEstimate && slots.size() == 1 && write == nullptr) {
        // The document grows by the same amount per row give or take: reserve for all rows now
        // rather than copying the text over and over as it doubles.
        const double perRow = static_cast<double>(out.size() - headSize) / kRowsForEstimate;
        const double rest = static_cast<double>(doc.size() - slots[0]);
        out.reserve(static_cast<std::size_t>(perRow * 1.02 * grid.ItemCount() + rest) + headSize);
      }
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
      if (i > 0) emitMarked(rowsBlock);
      const std::size_t end = i + 1 < slots.size() ? slots[i + 1] : doc.size();
      emitMarked(std::string_view(doc).substr(slots[i], end - slots[i]));
    }
    batch.Flush();
  } else {
    // Literal fill: each row goes in front of every slot by a replacement over the whole text.
    for (int r = 0; r < grid.ItemCount(); ++r) {
      if (request.progress) request.progress(r + 1, grid.ItemCount());
      const std::size_t cells = cellCount(r);
      fetchCells(r, cells);
      std::vector<std::string> atoms;
      for (std::size_t k = 0; k < cells; ++k) atoms.push_back(marked.Atom(cellTexts[k]));
      const std::string row =
          BuildRowLiterally(body, bodyFragments, cells, [&](std::size_t k) { return std::string_view(atoms[k]); });
      doc = ReplaceNoCaseBounded(doc, kBodyRow, row + std::string(kBodyRow));
    }
    doc = ReplaceNoCase(doc, kBodyRow, "");
    doc = ReplaceNoCase(doc, kBodyCellData, "");
    doc = ReplaceNoCase(doc, kBodyCellFormatting, "");
    // Tokens copied by the fill each expand to their whole data.
    if (marked.ExpandedSize(doc) > kMaxLiteralText) ThrowTooLarge();
    out = marked.Expand(doc);
  }

  return out;
}

std::string RenderCsvReport(const RenderRequest& request, const PieceWriter* write) {
  if (request.grid == nullptr) throw std::logic_error("a comma-separated report needs a bound grid");
  const Grid& grid = *request.grid;
  const std::vector<std::int32_t>& columnOrder = request.columnOrder;
  const auto quote = [](std::string* doc, std::string_view text) {
    *doc += '"';
    const std::size_t start = doc->size();
    doc->append(text);
    std::replace(doc->begin() + static_cast<std::ptrdiff_t>(start), doc->end(), '"', '\'');
    *doc += '"';
  };
  std::string scratch;
  std::string doc;
  const int columns = grid.ColumnCount();
  for (int p = 0; p < columns; ++p) {
    if (p > 0) doc += ',';
    quote(&doc, grid.ColumnHeader(columnOrder.at(static_cast<std::size_t>(p))));
  }
  doc += kCrLf;
  for (int r = 0; r < grid.ItemCount(); ++r) {
    const int subItems = grid.SubItemCount(r);
    for (int k = 0; k <= subItems && k < columns; ++k) {
      if (k > 0) doc += ',';
      quote(&doc, grid.ItemTextView(r, columnOrder.at(static_cast<std::size_t>(k)), scratch));
    }
    doc += kCrLf;
    PassPiece(&doc, write);
    if (request.progress && kCsvRaisesProgress) request.progress(r + 1, grid.ItemCount());
  }
  return doc;
}

}  // namespace

namespace {

std::string Render(const RenderRequest& request, const PieceWriter* write) {
  if (request.type == kReportCsv) return RenderCsvReport(request, write);
  if (request.style == nullptr) throw std::logic_error("a styled report needs its style");
  return RenderStyledReport(request, write);
}

}  // namespace

std::string RenderReport(const RenderRequest& request) { return Render(request, nullptr); }

void RenderReport(const RenderRequest& request, const std::function<void(std::string_view)>& write) {
  const std::string rest = Render(request, &write);
  if (!rest.empty()) write(rest);
}

}  // namespace orlix
