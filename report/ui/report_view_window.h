// ReportView: the grid control window. A panel whose only content is a list view in report view;
// hosted as a child by the main window and wrapped by the control library. The public members
// are the control's published interface; each throws on failure (std::exception and its kin)
// and never shows a message itself, so that every host decides how the error reaches the user.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/variant.h"
#include "reportview/property_store.h"

namespace orlix {

// The colours of a row that needs attention: text on the list's background, and the selected
// row's bar with its text. The same colour pair serves both ways round, so both read alike; in
// high contrast, the scheme's own grey-text colour against its window colour.
struct AttentionColours {
  COLORREF text;
  COLORREF background;
  COLORREF selectedText;
  COLORREF selectedBackground;
};
AttentionColours CurrentAttentionColours();

class ReportView {
 public:
  ReportView();
  ~ReportView();  // destroys its window, if any
  ReportView(const ReportView&) = delete;
  ReportView& operator=(const ReportView&) = delete;

  // Creates the control window as a child of `parent` at `bounds` (client pixels of the parent),
  // with the list view filling it. A control used before Create (a script that never sites it)
  // makes a hidden window of its own on first need; Create then re-parents that window.
  void Create(HWND parent, const RECT& bounds, int controlId, bool visible = true);
  HWND Window() const;    // null before the window exists
  HWND ListView() const;  // the live list view (lvwChildObjects); null before the window exists
  void Destroy();

  // Published interface.
  std::string ReportTitle() const;
  void ReportTitle(const std::string& strReportTitle);
  std::string ReportSubTitle() const;
  void ReportSubTitle(const std::string& strReportSubTitle);
  Variant DataToShow() const;              // a copy
  void DataToShow(const Variant& vntData);  // stores a copy; shows nothing until Generate
  bool ViewIsEmpty() const;
  std::string FieldMask() const;
  void FieldMask(const std::string& strFieldMask);
  void Clear();
  void Generate();
  // Opens the Create Report dialog modally on this grid, owned by `owner` (the top-level window
  // of the control when null); returns when the dialog has been closed and cleaned up.
  void Export(HWND owner = nullptr);

  // Container notifications.
  void InitProperties();                      // the values of a new control
  void ReadProperties(PropertyStore& store);  // values stored by the host; defaults when absent
  void WriteProperties(PropertyStore& store) const;
  void SetPropertyChangedHandler(PropertyChangedHandler handler);

  // For a program that hosts the grid in its own window (not part of the published interface).
  // The row of the data array that the list's item shows, following every sort; -1 for none.
  int DataRowOfItem(int item) const;
  // The data rows of the selected items, in list order.
  std::vector<int> SelectedDataRows() const;
  // Rows that need the user's attention, by data row: drawn in AttentionColours(), and `tip`
  // (when it gives text) shown as the tool tip of the row under the mouse.
  struct RowAttention {
    std::function<bool(int row)> marked;
    std::function<std::string(int row)> tip;
  };
  void SetRowAttention(RowAttention attention);
  // Keys pressed in the list (virtual-key codes); the handler reads the modifier keys itself.
  void SetKeyHandler(std::function<void(unsigned key)> handler);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orlix
